#include "SampleTables.h"

#include "DbfWriter.h"

#include <unicode/ucnv.h>

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace tabrivel::samples {

namespace {

// Text typed here is UTF-8; a table holds it in its own code page.
std::string Encode(const char* codePage, std::string_view utf8) {
    UErrorCode status = U_ZERO_ERROR;
    std::string out(utf8.size() * 4 + 8, '\0');
    const int32_t length =
        ucnv_convert(codePage, "UTF-8", out.data(), static_cast<int32_t>(out.size()), utf8.data(),
                     static_cast<int32_t>(utf8.size()), &status);
    if (U_FAILURE(status))
        throw std::runtime_error("cannot encode sample text in " + std::string(codePage));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// Numbers stand right-aligned in their fields, as every xBase writer stores them.
std::string Right(std::string_view text, int width) {
    if (text.size() > static_cast<std::size_t>(width))
        throw std::runtime_error("sample number wider than its field");
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + std::string(text);
}

int JulianDay(int year, int month, int day) {
    const int a = (14 - month) / 12;
    const int y = year + 4800 - a;
    const int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

// A Visual FoxPro date-time: the Julian day and the milliseconds since midnight.
std::string DateTime(int year, int month, int day, int hour, int minute) {
    const auto milliseconds = static_cast<std::uint32_t>((hour * 60 + minute) * 60'000);
    return Little32(static_cast<std::uint32_t>(JulianDay(year, month, day))) +
           Little32(milliseconds);
}

// Currency: a 64-bit integer count of ten-thousandths.
std::string Currency(std::int64_t hundredths) {
    return Little64(static_cast<std::uint64_t>(hundredths * 100));
}

std::string Integer(std::int32_t value) {
    return Little32(static_cast<std::uint32_t>(value));
}

void Save(const DbfWriter& table, const std::filesystem::path& folder, const SampleTable& sample) {
    const std::filesystem::path path = folder / sample.fileName;
    if (sample.memoFileName.empty()) {
        table.write(path);
        return;
    }
    table.write(path, std::filesystem::path(sample.memoFileName).extension().string());
}

DbfWriter Customers() {
    const auto ansi = [](std::string_view text) {
        return Encode("windows-1252", text);
    };
    DbfWriter table(0x03, 0x57);
    table.addField("CUST_ID", 'N', 6)
        .addField("COMPANY", 'C', 30)
        .addField("CONTACT", 'C', 24)
        .addField("CITY", 'C', 18)
        .addField("COUNTRY", 'C', 14)
        .addField("PHONE", 'C', 17)
        .addField("SINCE", 'D', 8)
        .addField("CREDIT", 'N', 10, 2)
        .addField("ACTIVE", 'L', 1);
    struct Row {
        const char *id, *company, *contact, *city, *country, *phone, *since, *credit, *active;
        bool deleted;
    };
    const Row rows[] = {
        {"1", "Alder & Finch Booksellers", "Margaret Alder", "Bristol", "United Kingdom",
         "+44 117 496 0321", "19980412", "2500.00", "T", false},
        {"2", "O'Brien Hardware", "Seamus O'Brien", "Cork", "Ireland", "+353 21 490 1122",
         "20010903", "1200.50", "T", false},
        {"3", "Müller Feinkost GmbH", "Jürgen Müller", "München", "Germany", "+49 89 2180 4471",
         "19950117", "8000.00", "T", false},
        {"4", "Société Lumière", "Amélie Dubois", "Lyon", "France", "+33 4 72 10 88 19", "20030620",
         "0.00", "F", false},
        {"5", "Harbourview Marine Supply", "Tom Keating", "Halifax", "Canada", "+1 902 555 0143",
         "20090305", "15000.00", "T", false},
        {"6", "Zapata Distribuciones", "Lucía Fernández", "Sevilla", "Spain", "+34 954 21 67 90",
         "20110728", "3250.75", "T", false},
        {"7", "Nordlys Fiskeri AS", "Ola Nordmann", "Tromsø", "Norway", "+47 77 64 40 00",
         "20050830", "900.00", "F", true},
        {"8", "Pacific Rim Traders", "Kenji Watanabe", "Osaka", "Japan", "+81 6 6123 4567", "",
         "500.00", "?", false},
        {"9", "Van der Berg Bloemen", "Anneke van der Berg", "Utrecht", "Netherlands",
         "+31 30 253 3550", "20150214", "1750.00", "T", false},
        {"10", "Great Plains Feed & Seed", "Dale Hutchins", "Omaha", "USA", "+1 402 555 0187",
         "20200101", "4200.00", "T", false},
    };
    for (const Row& row : rows) {
        table.addRecord({Right(row.id, 6), ansi(row.company), ansi(row.contact), ansi(row.city),
                         row.country, row.phone, row.since, Right(row.credit, 10), row.active},
                        row.deleted);
    }
    table.appendBytes("\x1A");
    return table;
}

DbfWriter Products() {
    DbfWriter table(0xF5, 0x03);
    table.setMemoFormat(MemoFormat::FoxPro, 64);
    table.addField("CODE", 'C', 8)
        .addField("NAME", 'C', 28)
        .addField("CATEGORY", 'C', 12)
        .addField("PRICE", 'N', 9, 2)
        .addField("IN_STOCK", 'N', 5)
        .addField("REORDER", 'L', 1)
        .addField("NOTES", 'M', 10);
    struct Row {
        const char *code, *name, *category, *price, *stock, *reorder, *notes;
    };
    const Row rows[] = {
        {"TL-1001", "Claw hammer 16 oz", "Tools", "14.95", "120", "F",
         "Fibreglass handle.\r\nShipped in boxes of 6."},
        {"TL-1002", "Steel ruler 30 cm / 12\"", "Tools", "4.50", "340", "F",
         "Metric and imperial scales."},
        {"GD-2001", "Garden hose 25 m", "Garden", "29.99", "18", "T",
         "Supplier raised prices by 5% from March.\r\nCheck the new list before re-ordering."},
        {"GD-2002", "Terracotta pot 30 cm", "Garden", "11.25", "0", "T", ""},
        {"PT-3001", "Exterior paint, white 5 l", "Paint", "42.00", "25", "F",
         "Tint on request.\r\nDo not store below 5 °C."},
        {"PT-3002", "Brush set (3 pcs)", "Paint", "9.80", "64", "F", "Customer's favourite."},
        {"EL-4001", "LED bulb E27 9 W", "Electrical", "3.20", "510", "F",
         "Warm white, 2700 K.\r\nPack of 10 on shelf B4."},
        {"EL-4002", "Extension lead 4-way", "Electrical", "17.60", "7", "T",
         "Recall notice 2023-11: batch 4411 only."},
    };
    for (const Row& row : rows) {
        const std::string notes = Encode("windows-1252", row.notes);
        const std::string pointer =
            notes.empty() ? std::string() : MemoPointer(table.addMemo(notes), 10);
        table.addRecord({row.code, row.name, row.category, Right(row.price, 9), Right(row.stock, 5),
                         row.reorder, pointer});
    }
    table.appendBytes("\x1A");
    return table;
}

} // namespace

namespace {

constexpr std::uint8_t kNullable = 0x02;
constexpr std::uint8_t kSystemBinary = 0x05; // the hidden _NullFlags field

DbfWriter Orders() {
    DbfWriter table(0x30, 0x03);
    table.addField("ORDER_ID", 'I', 4)
        .addField("CUST_ID", 'I', 4)
        .addField("ORDERED", 'T', 8)
        .addField("SHIPPED", 'T', 8, 0, kNullable)
        .addField("TOTAL", 'Y', 8)
        .addField("DISCOUNT", 'N', 5, 2, kNullable)
        .addField("PAID", 'L', 1)
        .addField("STATUS", 'C', 10)
        .addField("NOTE", 'C', 30, 0, kNullable)
        .addField("_NullFlags", '0', 1, 0, kSystemBinary);
    // Null bits in field order: SHIPPED 1, DISCOUNT 2, NOTE 4.
    enum : char { ShippedNull = 1, DiscountNull = 2, NoteNull = 4 };
    const std::string blank8(8, '\0');
    const auto add = [&](std::int32_t id, std::int32_t customer, const std::string& ordered,
                         const std::string& shipped, std::int64_t total, const char* discount,
                         const char* paid, const char* status, const char* note) {
        char nulls = 0;
        nulls |= shipped.empty() ? ShippedNull : 0;
        nulls |= *discount == '\0' ? DiscountNull : 0;
        nulls |= *note == '\0' ? NoteNull : 0;
        table.addRecord({Integer(id), Integer(customer), ordered,
                         shipped.empty() ? blank8 : shipped, Currency(total), Right(discount, 5),
                         paid, status, note, std::string(1, nulls)});
    };
    add(10248, 1, DateTime(2024, 3, 4, 9, 15), DateTime(2024, 3, 6, 14, 0), 42750, "5.00", "T",
        "Shipped", "Leave at the loading bay");
    add(10249, 3, DateTime(2024, 3, 4, 11, 42), DateTime(2024, 3, 5, 8, 30), 191260, "", "T",
        "Shipped", "");
    add(10250, 5, DateTime(2024, 3, 5, 16, 5), "", 1549900, "12.50", "F", "Backorder",
        "Waiting for the hose delivery");
    add(10251, 2, DateTime(2024, 3, 7, 8, 0), DateTime(2024, 3, 7, 17, 45), 8990, "", "T",
        "Shipped", "");
    add(10252, 6, DateTime(2024, 3, 8, 13, 20), "", 32575, "", "F", "Open", "");
    add(10253, 9, DateTime(2024, 3, 11, 10, 10), DateTime(2024, 3, 12, 9, 0), -4550, "", "T",
        "Refund", "Returned: two cracked pots");
    add(10254, 10, DateTime(2024, 3, 12, 15, 55), DateTime(2024, 3, 14, 11, 25), 2599999, "7.25",
        "T", "Shipped", "Key account; invoice monthly");
    add(10255, 8, DateTime(2024, 3, 15, 23, 59), "", 0, "", "F", "Cancelled", "");
    table.appendBytes("\x1A");
    return table;
}

DbfWriter Staff() {
    const auto dos = [](std::string_view text) {
        return Encode("cp437", text);
    };
    DbfWriter table(0x8B, 0x01);
    table.setMemoFormat(MemoFormat::DBase4, 512);
    table.addField("EMP_NO", 'N', 5)
        .addField("LAST_NAME", 'C', 18)
        .addField("FIRST_NAME", 'C', 14)
        .addField("DEPT", 'C', 12)
        .addField("HIRED", 'D', 8)
        .addField("SALARY", 'N', 10, 2)
        .addField("BONUS_RATE", 'F', 6, 3)
        .addField("FULL_TIME", 'L', 1)
        .addField("NOTES", 'M', 10);
    struct Row {
        const char *number, *last, *first, *dept, *hired, *salary, *rate, *fullTime, *notes;
    };
    const Row rows[] = {
        {"101", "Okafor", "Chidi", "Sales", "19920301", "48200.00", "0.075", "T",
         "Top seller 1998-2001.\r\nMentors new staff."},
        {"102", "Lindqvist", "Karin", "Accounts", "19940815", "45900.00", "0.050", "T", ""},
        {"103", "Beaulieu", "René", "Warehouse", "19990110", "31250.00", "0.020", "F",
         "Forklift licence renewed 2003."},
        {"104", "Papadopoulos", "Eleni", "Sales", "20011105", "39800.00", "0.060", "T",
         "Speaks Greek, English and French."},
        {"105", "Novak", "Tomás", "IT", "20040201", "52400.00", "", "T",
         "Keeps the dBase IV reports running."},
        {"106", "Whitfield", "Grace", "Accounts", "20060619", "28750.50", "0.035", "F", ""},
    };
    for (const Row& row : rows) {
        const std::string notes = dos(row.notes);
        const std::string pointer =
            notes.empty() ? std::string() : MemoPointer(table.addMemo(notes), 10);
        table.addRecord({Right(row.number, 5), dos(row.last), dos(row.first), row.dept, row.hired,
                         Right(row.salary, 10), Right(row.rate, 6), row.fullTime, pointer});
    }
    table.appendBytes("\x1A");
    return table;
}

DbfWriter RussianClients() {
    const auto cyrillic = [](std::string_view text) {
        return Encode("cp866", text);
    };
    DbfWriter table(0x03, 0x65);
    table.addField("KOD", 'N', 4)
        .addField("FAMILIYA", 'C', 16)
        .addField("IMYA", 'C', 12)
        .addField("OTCHESTVO", 'C', 16)
        .addField("GOROD", 'C', 16)
        .addField("TELEFON", 'C', 16)
        .addField("DATA_REG", 'D', 8)
        .addField("BALANS", 'N', 10, 2);
    struct Row {
        const char *code, *family, *name, *patronymic, *city, *phone, *registered, *balance;
    };
    const Row rows[] = {
        {"1", "Иванов", "Иван", "Петрович", "Москва", "+7 495 123-45-67", "20120315", "15200.00"},
        {"2", "Смирнова", "Ольга", "Николаевна", "Санкт-Петербург", "+7 812 234-56-78", "20130702",
         "0.00"},
        {"3", "Кузнецов", "Алексей", "Викторович", "Новосибирск", "+7 383 345-67-89", "20140120",
         "-1250.50"},
        {"4", "Семёнов", "Пётр", "Андреевич", "Казань", "+7 843 456-78-90", "20160909", "87000.00"},
        {"5", "Попова", "Анна", "Сергеевна", "Екатеринбург", "+7 343 567-89-01", "20181130",
         "3400.75"},
        {"6", "Лебедева", "Елена", "Игоревна", "Нижний Новгород", "+7 831 678-90-12", "", "500.00"},
    };
    for (const Row& row : rows) {
        table.addRecord({Right(row.code, 4), cyrillic(row.family), cyrillic(row.name),
                         cyrillic(row.patronymic), cyrillic(row.city), row.phone, row.registered,
                         Right(row.balance, 10)});
    }
    table.appendBytes("\x1A");
    return table;
}

} // namespace

const std::vector<SampleTable>& SampleTableList() {
    static const std::vector<SampleTable> tables = {
        {"CUSTOMER.DBF", "", "dBase III customers, Western European code page"},
        {"PRODUCTS.DBF", "PRODUCTS.FPT", "FoxPro 2 products with memo notes"},
        {"ORDERS.DBF", "", "Visual FoxPro orders: nulls, currency, date-times, integers"},
        {"STAFF.DBF", "STAFF.DBT", "dBase IV staff with memos and floating-point rates"},
        {"KLIENTY.DBF", "", "Russian clients in the DOS Cyrillic code page (866)"},
    };
    return tables;
}

void WriteSampleTables(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const DbfWriter tables[] = {Customers(), Products(), Orders(), Staff(), RussianClients()};
    const auto& list = SampleTableList();
    for (std::size_t i = 0; i < list.size(); ++i)
        Save(tables[i], folder, list[i]);
}

} // namespace tabrivel::samples
