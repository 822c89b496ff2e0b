#include "DbfWriter.h"

#include <bit>
#include <fstream>
#include <stdexcept>

namespace tabrivel {
namespace {

std::string Bytes(std::uint64_t value, int count, bool big) {
    std::string out(static_cast<std::size_t>(count), '\0');
    for (int i = 0; i < count; ++i) {
        const int shift = 8 * (big ? count - 1 - i : i);
        out[static_cast<std::size_t>(i)] = static_cast<char>((value >> shift) & 0xFF);
    }
    return out;
}

void Put(std::string& into, std::size_t at, const std::string& bytes) {
    into.replace(at, bytes.size(), bytes);
}

constexpr std::size_t kMemoHeaderSize = 512;

} // namespace

std::string Little16(std::uint16_t value) {
    return Bytes(value, 2, false);
}
std::string Little32(std::uint32_t value) {
    return Bytes(value, 4, false);
}
std::string Little64(std::uint64_t value) {
    return Bytes(value, 8, false);
}
std::string Big16(std::uint16_t value) {
    return Bytes(value, 2, true);
}
std::string Big32(std::uint32_t value) {
    return Bytes(value, 4, true);
}
std::string LittleDouble(double value) {
    return Little64(std::bit_cast<std::uint64_t>(value));
}

std::string MemoPointer(std::uint32_t block, int width) {
    if (width == 4)
        return Little32(block);
    std::string digits = std::to_string(block);
    return std::string(static_cast<std::size_t>(width) - digits.size(), ' ') + digits;
}

std::string HiPerSixPointer(std::uint32_t block, std::uint32_t length, std::uint16_t type) {
    return Little16(type) + Little32(length) + Little32(block);
}

DbfWriter::DbfWriter(std::uint8_t version, std::uint8_t languageDriver)
    : version_(version), languageDriver_(languageDriver) {}

bool DbfWriter::isBase7() const {
    return (version_ & 0x07) == 0x04;
}

DbfWriter& DbfWriter::addField(std::string name, char type, int length, int decimals,
                               std::uint8_t flags) {
    fields_.push_back({std::move(name), type, length, decimals, flags});
    return *this;
}

DbfWriter& DbfWriter::addRecord(const std::vector<std::string>& fields, bool deleted) {
    if (fields.size() != fields_.size())
        throw std::invalid_argument("a record needs one value per field");
    std::string record(1, deleted ? '*' : ' ');
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto width = static_cast<std::size_t>(fields_[i].length);
        if (fields[i].size() > width)
            throw std::invalid_argument("value wider than field " + fields_[i].name);
        record += fields[i];
        record.append(width - fields[i].size(), ' ');
    }
    records_.push_back(std::move(record));
    return *this;
}

DbfWriter& DbfWriter::setMemoFormat(MemoFormat format, std::uint32_t blockSize) {
    memoFormat_ = format;
    blockSize_ = format == MemoFormat::DBase3 ? 512 : blockSize;
    return *this;
}

std::string DbfWriter::padMemo(std::string_view bytes, std::uint32_t foxProType) const {
    std::string block;
    switch (memoFormat_) {
    case MemoFormat::DBase3:
        block.append(bytes).append("\x1A\x1A");
        break;
    case MemoFormat::DBase4:
        block.append("\xFF\xFF\x08\x00", 4)
            .append(Little32(static_cast<std::uint32_t>(bytes.size() + 8)));
        block.append(bytes);
        break;
    case MemoFormat::FoxPro:
        block.append(Big32(foxProType)).append(Big32(static_cast<std::uint32_t>(bytes.size())));
        block.append(bytes);
        break;
    case MemoFormat::HiPerSix:
        block.append(bytes);
        break;
    }
    const std::size_t size = blockSize_ == 0 ? 1 : blockSize_;
    block.append((size - block.size() % size) % size, '\0');
    return block;
}

std::uint32_t DbfWriter::addMemo(std::string_view bytes, std::uint32_t foxProType) {
    const std::size_t size = blockSize_ == 0 ? 1 : blockSize_;
    if (memo_.empty())
        memo_.assign(((kMemoHeaderSize + size - 1) / size) * size, '\0');
    const auto block = static_cast<std::uint32_t>(memo_.size() / size);
    memo_ += padMemo(bytes, foxProType);
    return block;
}

std::string DbfWriter::memoBytes() const {
    const std::size_t size = blockSize_ == 0 ? 1 : blockSize_;
    std::string memo = memo_.empty() ? std::string(kMemoHeaderSize, '\0') : memo_;
    const auto next = static_cast<std::uint32_t>(memo.size() / size);
    if (memoFormat_ == MemoFormat::FoxPro) {
        Put(memo, 0, Big32(next));
        Put(memo, 6, Big16(static_cast<std::uint16_t>(blockSize_)));
    } else if (memoFormat_ == MemoFormat::HiPerSix) {
        Put(memo, 0, Little32(next));
        Put(memo, 4, Little32(blockSize_));
    } else {
        Put(memo, 0, Little32(next));
        if (memoFormat_ == MemoFormat::DBase4)
            Put(memo, 20, Little16(static_cast<std::uint16_t>(blockSize_)));
    }
    return memo;
}

DbfWriter& DbfWriter::setRecordCount(std::uint32_t count) {
    recordCount_ = count;
    return *this;
}

DbfWriter& DbfWriter::setHeaderLength(std::uint32_t length) {
    headerLength_ = length;
    return *this;
}

DbfWriter& DbfWriter::setRecordLength(std::uint32_t length) {
    recordLength_ = length;
    return *this;
}

DbfWriter& DbfWriter::setContainerLink(std::string link) {
    containerLink_ = std::move(link);
    return *this;
}

DbfWriter& DbfWriter::omitTerminator() {
    terminator_ = false;
    return *this;
}

DbfWriter& DbfWriter::appendBytes(std::string_view bytes) {
    trailer_ += bytes;
    return *this;
}

std::uint32_t DbfWriter::recordLength() const {
    std::uint32_t length = 1;
    for (const auto& field : fields_)
        length += static_cast<std::uint32_t>(field.length);
    return length;
}

std::string DbfWriter::descriptor(const Field& field, std::uint32_t offset) const {
    // Widths above 255 keep their high byte where the decimal count would be.
    const auto low = static_cast<char>(field.length & 0xFF);
    const auto decimals =
        static_cast<char>(field.length > 255 ? field.length >> 8 : field.decimals);
    if (version_ == 0x02) {
        std::string d(16, '\0');
        Put(d, 0, field.name.substr(0, 10));
        d[11] = field.type;
        d[12] = low;
        d[15] = decimals;
        return d;
    }
    if (isBase7()) {
        std::string d(48, '\0');
        Put(d, 0, field.name.substr(0, 31));
        d[32] = field.type;
        d[33] = low;
        d[34] = decimals;
        return d;
    }
    std::string d(32, '\0');
    Put(d, 0, field.name.substr(0, 10));
    d[11] = field.type;
    Put(d, 12, Little32(offset));
    d[16] = low;
    d[17] = decimals;
    d[18] = static_cast<char>(field.flags);
    return d;
}

std::string DbfWriter::header() const {
    const bool base2 = version_ == 0x02;
    const bool visualFoxPro = version_ >= 0x30 && version_ <= 0x32;
    std::string out(base2 ? 8 : isBase7() ? 68 : 32, '\0');
    std::uint32_t offset = 1;
    for (const auto& field : fields_) {
        out += descriptor(field, offset);
        offset += static_cast<std::uint32_t>(field.length);
    }
    if (terminator_)
        out += '\x0D';
    if (visualFoxPro) { // the database container's path, padded with NULs
        std::string link = containerLink_.substr(0, 263);
        link.resize(263, '\0');
        out += link;
    }
    if (base2 && out.size() < 521)
        out.append(521 - out.size(), '\0');
    const auto count =
        static_cast<std::uint32_t>(recordCount_ >= 0 ? recordCount_ : records_.size());
    const auto recordLength =
        static_cast<std::uint32_t>(recordLength_ >= 0 ? recordLength_ : this->recordLength());
    out[0] = static_cast<char>(version_);
    if (base2) {
        Put(out, 1, Little16(static_cast<std::uint16_t>(count)));
        Put(out, 6, Little16(static_cast<std::uint16_t>(recordLength)));
        return out;
    }
    out[1] = 124; // 2024-01-01
    out[2] = 1;
    out[3] = 1;
    Put(out, 4, Little32(count));
    const auto headerLength =
        static_cast<std::uint32_t>(headerLength_ >= 0 ? headerLength_ : out.size());
    Put(out, 8, Little16(static_cast<std::uint16_t>(headerLength)));
    Put(out, 10, Little16(static_cast<std::uint16_t>(recordLength)));
    out[29] = static_cast<char>(languageDriver_);
    if (headerLength > out.size())
        out.append(headerLength - out.size(), '\0');
    return out;
}

std::string DbfWriter::tableBytes() const {
    std::string out = header();
    if (headerLength_ >= 0 && out.size() > static_cast<std::size_t>(headerLength_))
        out.resize(static_cast<std::size_t>(headerLength_));
    for (const auto& record : records_)
        out += record;
    return out + trailer_;
}

void DbfWriter::write(const std::filesystem::path& table, std::string_view memoExtension) const {
    const auto save = [](const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + path.string());
    };
    save(table, tableBytes());
    if (!memoExtension.empty()) {
        auto memo = table;
        memo.replace_extension(std::string(memoExtension));
        save(memo, memoBytes());
    }
}

} // namespace tabrivel
