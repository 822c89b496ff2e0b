#include "ServerLoad.h"

#include "CompanionRunner.h"
#include "LoadedCells.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace tabrivel::testing {

void AddCombinationRows(Dialect dialect, bool withCopy) {
    QTest::addColumn<LoadOptions>("load");
    for (const LoadOptions& load : EveryCombination(dialect, withCopy)) {
        std::string name;
        for (const std::string& word : CommandLine(load))
            name += word + " ";
        QTest::addRow("%s", name.c_str()) << load;
    }
}

void CheckServerLoad(const ServerUnderTest& server, const LoadOptions& load,
                     const QString& tableFolder, const std::vector<FixtureTable>& fixtures) {
    const QString emptied = server.empty();
    QVERIFY2(emptied.isEmpty(), qPrintable(emptied));
    std::vector<std::string> arguments = CommandLine(load);
    for (const FixtureTable& table : fixtures)
        arguments.push_back(
            QDir(tableFolder).filePath(QString::fromStdString(table.fileName)).toStdString());
    QTemporaryDir work;
    const CompanionResult result = RunCompanionInto(work.path(), arguments);
    // The fixtures' values that a NUL cuts short are reported, and under --types their
    // undecodable numbers and dates.
    QCOMPARE(result.status, 1);
    QVERIFY2(QString::fromStdString(result.errors).contains("a NUL byte ends the value"),
             result.errors.c_str());
    QCOMPARE(QString::fromStdString(result.errors).count("written as NULL"), load.types ? 4 : 0);

    const QString ran = server.run(work.filePath("out.sql"));
    QVERIFY2(ran.isEmpty(), qPrintable(ran));

    for (const FixtureTable& table : fixtures) {
        std::string error;
        const auto stored =
            server.rows((load.names ? "" : std::string("Table1_")) + table.name, error);
        QVERIFY2(error.empty(), error.c_str());
        const auto path = QDir(tableFolder).filePath(QString::fromStdString(table.fileName));
        const std::string mismatch = FirstMismatch(stored, ExpectedLoad(path.toStdString(), load));
        QVERIFY2(mismatch.empty(), (table.name + ": " + mismatch).c_str());
    }
}

} // namespace tabrivel::testing
