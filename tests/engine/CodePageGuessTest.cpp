// Tables that name no code page: real text in each language, stored in each code page
// DBF files are written in, is read back as written, and the guess is reported.
#include "DbfTestSupport.h"
#include "samples/DbfWriter.h"

#include <unicode/ucnv.h>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

// Names, places and the words of an office, as tables hold them.
const char* const kRussian =
    "Иванов Пётр Сергеевич;Москва, улица Ленина, дом 12;Смирнова Ольга;Санкт-Петербург, Невский "
    "проспект;Кузнецов Алексей;Новосибирск;бухгалтерия;отдел кадров;заработная плата за "
    "месяц;примечание: оплачено полностью";
const char* const kCzech =
    "Novák Jiří;Praha, Vinohradská ulice;Dvořáková Eliška;Brno, náměstí Svobody;Černý "
    "Tomáš;Ostrava;účetnictví;mzdová účtárna;poznámka: zaplaceno v plné výši;Příbram";
const char* const kPolish =
    "Kowalski Paweł;Warszawa, ulica Świętokrzyska;Wiśniewska Małgorzata;Kraków, Rynek "
    "Główny;Łódź;Gdańsk;księgowość;wynagrodzenie za miesiąc;uwagi: zapłacono w całości";
const char* const kGerman =
    "Müller Jürgen;München, Königstraße 5;Schröder Käthe;Düsseldorf, Bahnhofstraße;Weiß "
    "Günter;Köln;Buchhaltung;Gehaltsabrechnung für März;Bemerkung: vollständig bezahlt";
const char* const kFrench =
    "Lefèvre Hélène;Genève, rue de l'Église;Bérangère Côté;Montréal;Françoise "
    "Dupré;Nîmes;comptabilité;salaire du mois de février;remarque: payé intégralement";
const char* const kGreek =
    "Παπαδόπουλος Γιώργος;Αθήνα, οδός Ερμού 12;Νικολάου Μαρία;Θεσσαλονίκη, πλατεία "
    "Αριστοτέλους;Πάτρα;λογιστήριο;μισθοδοσία του μήνα;σημείωση: εξοφλήθηκε πλήρως";
const char* const kChinese =
    "张伟;北京市朝阳区建国路八十八号;王芳;上海市浦东新区世纪大道;李娜;广州市天河区;财务部;"
    "人力资源部;本月工资;备注：已全额付款";
const char* const kTaiwanese =
    "陳志明;臺北市中正區重慶南路一段;林美玲;高雄市前鎮區;黃國華;臺中市西屯區;會計部;"
    "人力資源處;本月薪資;備註：已全額付款";
const char* const kJapanese =
    "山田太郎;東京都千代田区丸の内一丁目;佐藤花子;大阪府大阪市北区梅田;鈴木一郎;名古屋市中区;"
    "経理部;人事部;今月の給与;備考：全額支払い済み";

std::string Encoded(const QString& text, const char* codePage) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(codePage, &status);
    std::string out(static_cast<std::size_t>(text.size()) * 4 + 4, '\0');
    const auto length = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                        reinterpret_cast<const UChar*>(text.utf16()),
                                        static_cast<int32_t>(text.size()), &status);
    ucnv_close(converter);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

} // namespace

class CodePageGuessTest : public QObject {
    Q_OBJECT

private slots:
    void readsRealTextInItsCodePage_data();
    void readsRealTextInItsCodePage();
    void declaredCodePageIsNoGuess();
};

void CodePageGuessTest::readsRealTextInItsCodePage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("codePage"); // as the text is stored
    QTest::addColumn<QString>("reported"); // as the warning names the guess

    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"Russian", kRussian, "ibm-866", "cp866"},
        {"Russian", kRussian, "windows-1251", "windows-1251"},
        {"Russian", kRussian, "KOI8-R", "KOI8-R"},
        {"Czech", kCzech, "ibm-852", "cp852"},
        {"Czech", kCzech, "windows-1250", "windows-1250"},
        {"Polish", kPolish, "ibm-852", "cp852"},
        {"Polish", kPolish, "windows-1250", "windows-1250"},
        {"German", kGerman, "ibm-437", "cp850"},
        {"German", kGerman, "ibm-850", "cp850"},
        {"German", kGerman, "windows-1252", "windows-1252"},
        {"French", kFrench, "ibm-850", "cp850"},
        {"French", kFrench, "windows-1252", "windows-1252"},
        {"Greek", kGreek, "windows-1253", "windows-1253"},
        {"Chinese", kChinese, "GBK", "cp936"},
        {"Chinese", kTaiwanese, "Big5", "cp950"},
        {"Japanese", kJapanese, "Shift_JIS", "windows-31j"},
        {"Japanese", kJapanese, "EUC-JP", "EUC-JP"},
    };
    for (const auto& [language, text, codePage, reported] : cases)
        QTest::addRow("%s in %s", language, codePage)
            << QString::fromUtf8(text) << QString(codePage) << QString(reported);
}

void CodePageGuessTest::readsRealTextInItsCodePage() {
    QFETCH(QString, text);
    QFETCH(QString, codePage);
    QFETCH(QString, reported);
    const QStringList values = text.split(';');
    DbfWriter writer(0x03, 0x00);
    writer.addField("TEXT", 'C', 80);
    for (const QString& value : values) {
        const std::string stored = Encoded(value, codePage.toLatin1().constData());
        QVERIFY(!stored.empty());
        writer.addRecord({stored});
    }
    QTemporaryDir dir;
    const auto path = PathIn(dir, "guess.dbf");
    writer.write(path);

    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(reading.records.size(), static_cast<std::size_t>(values.size()));
    for (qsizetype i = 0; i < values.size(); ++i)
        QCOMPARE(QString::fromStdString(reading.records[i][0].text).trimmed(), values[i]);
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::UnknownEncoding);
    const std::string message = reading.warnings[0].message();
    QVERIFY2(message.find("read as " + reported.toStdString() + ", a guess") != std::string::npos,
             message.c_str());
}

void CodePageGuessTest::declaredCodePageIsNoGuess() {
    // The same Russian text in cp866, declared by its language-driver byte: no warning,
    // even where a guess would have read it alike.
    DbfWriter writer(0x03, 0x26);
    writer.addField("TEXT", 'C', 80);
    for (const QString& value : QString::fromUtf8(kRussian).split(';'))
        writer.addRecord({Encoded(value, "ibm-866")});
    QTemporaryDir dir;
    const auto path = PathIn(dir, "declared.dbf");
    writer.write(path);

    const auto reading = ReadTable(path);
    QCOMPARE(QString::fromStdString(reading.records.at(0).at(0).text).trimmed(),
             QString::fromUtf8("Иванов Пётр Сергеевич"));
    QVERIFY(reading.warnings.empty());
}

QTEST_GUILESS_MAIN(CodePageGuessTest)
#include "CodePageGuessTest.moc"
