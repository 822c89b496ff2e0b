#pragma once

#include <string>

namespace tabrivel {

// The name the script file is written under. Qt's save file, which replaces an earlier
// file only with a complete script, takes its name as text and so cannot reach a name that
// is no UTF-8 (a Latin-1 byte from an old archive): such a script is saved under a stand-in
// name beside its own, and takes its own name by a rename once it is complete.
class OutputFile {
public:
    // `name` is the file's name as the file calls take it, byte for byte.
    explicit OutputFile(std::string name);
    // A stand-in that did not reach the name is removed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Where the script is saved.
    const std::string& savedAs() const { return standIn_.empty() ? name_ : standIn_; }

    // Gives the saved script its own name, with the access rights of the file it replaces.
    // Throws WriteFailed when it cannot; the earlier file is then left as it was.
    void settle();

private:
    std::string name_;
    std::string standIn_; // empty: the script is saved under its own name
};

} // namespace tabrivel
