// The demo site's data: a small ready-mixed concrete plant near Bangkok with
// its customers, raw materials, units, mix formulas, staff and report codes.

#include <array>

#include "app/users/site_init.h"
#include "data/catalogue.h"
#include "data/site_setup.h"
#include "data/table_access.h"
#include "platform/runtime/cp874.h"

namespace mp {
namespace {

struct Company {
    const char *code, *name, *addr1, *addr2, *place;
};
const Company kCompanies[] = {
    {"SIAMBUILD", "บริษัท สยามบิลด์ จำกัด", "99/9 ถนนพหลโยธิน แขวงจตุจักร", "เขตจตุจักร กรุงเทพฯ 10900",
     "โครงการคอนโดลาดพร้าว"},
    {"CHAOPHAYA", "บริษัท เจ้าพระยาก่อสร้าง จำกัด", "12 ถนนริมน้ำ ตำบลบางกระสอ", "อำเภอเมือง นนทบุรี 11000",
     "สะพานข้ามคลองบางกรวย"},
    {"NAKHONTECH", "ห้างหุ้นส่วนจำกัด นครเทคโยธา", "45 หมู่ 3 ตำบลคลองหนึ่ง", "อำเภอคลองหลวง ปทุมธานี 12120",
     "โรงงานนิคมนวนคร"},
    {"SOMCHAI", "นายสมชาย ใจดี", "7 ซอยวัดบัว ตำบลบางพูด", "อำเภอปากเกร็ด นนทบุรี 11120", "บ้านพักอาศัย"},
    {"RATTANA", "บริษัท รัตนาวิศวกรรม จำกัด", "300 ถนนสุขุมวิท แขวงบางนา", "เขตบางนา กรุงเทพฯ 10260",
     "อาคารสำนักงาน 8 ชั้น"},
};

struct Material {
    const char *code, *name;
    double cost;  // baht per kilogram
};
const Material kMaterials[] = {
    {"CEMENT", "ปูนซีเมนต์ปอร์ตแลนด์", 2.60}, {"FLYASH", "เถ้าลอย", 1.10},
    {"SAND", "ทรายหยาบ", 0.35},               {"FSAND", "ทรายละเอียด", 0.40},
    {"STONE34", "หินย่อย 3/4 นิ้ว", 0.45},     {"STONE38", "หินย่อย 3/8 นิ้ว", 0.50},
    {"WATER", "น้ำ", 0.02},                   {"ADMIX-R", "น้ำยาหน่วงการก่อตัว", 38.00},
    {"ADMIX-P", "น้ำยาลดน้ำพิเศษ", 55.00},
};

struct Unit {
    const char *code, *name;
    double kilograms;
};
const Unit kUnits[] = {{"KG", "กิโลกรัม", 1},
                       {"TON", "ตัน", 1000},
                       {"M3", "ลูกบาศก์เมตร", 2400},
                       {"BAG", "ถุง (50 กก.)", 50}};

// One slot of a formula: material, kilograms per full batch, the three
// set-point distances below the target and the feed delay.
struct Slot {
    const char* material;
    double qty, big, fast, slow, feed;
};
struct Formula {
    const char *code, *name;
    double capacity, mixTime, discharge;
    std::array<Slot, kSlots> slots;
};
const Formula kFormulas[] = {
    {"C180", "คอนกรีต 180 กก./ตร.ซม.", 1200, 45, 12,
     {{{"CEMENT", 130, 20, 8, 2.0, 0},
       {"SAND", 420, 60, 20, 5.0, 0},
       {"STONE34", 560, 80, 25, 6.0, 1.5},
       {"WATER", 88, 12, 4, 1.0, 3.0},
       {"ADMIX-R", 2, 0, 0, 0.2, 5.0}}}},
    {"C240", "คอนกรีต 240 กก./ตร.ซม.", 1200, 50, 12,
     {{{"CEMENT", 150, 20, 8, 2.0, 0},
       {"FLYASH", 30, 8, 3, 1.0, 0},
       {"SAND", 380, 60, 20, 5.0, 0},
       {"STONE34", 545, 80, 25, 6.0, 1.5},
       {"WATER", 92, 12, 4, 1.0, 3.0},
       {"ADMIX-R", 3, 0, 0, 0.2, 5.0}}}},
    {"C320", "คอนกรีตกำลังสูง 320 กก./ตร.ซม.", 2000, 60, 15,
     {{{"CEMENT", 290, 30, 10, 2.5, 0},
       {"FLYASH", 60, 10, 4, 1.0, 0},
       {"SAND", 330, 50, 18, 4.0, 0},
       {"FSAND", 280, 40, 15, 4.0, 0},
       {"STONE34", 520, 80, 25, 6.0, 1.0},
       {"STONE38", 360, 50, 18, 5.0, 1.0},
       {"WATER", 152, 15, 5, 1.5, 3.0},
       {"ADMIX-P", 8, 0, 1, 0.3, 6.0}}}},
    {"MORTAR", "ปูนทรายสำหรับงานฉาบ", 500, 30, 10,
     {{{"CEMENT", 100, 15, 5, 1.5, 0},
       {"FSAND", 320, 40, 15, 3.0, 0},
       {"WATER", 80, 10, 3, 1.0, 2.5}}}},
};

struct User {
    const char *code, *name, *password, *rights;
};
const User kUsers[] = {
    // Production to edit batches, reports with printing, every code table to view.
    {"OPER1", "สมศักดิ์ คุมเครื่อง", "1234", "42111111000000"},
    {"OPER2", "วิไล ผสมดี", "5678", "42111111000000"},
    // A supervisor: everything but editing the users and the system settings.
    {"SUPER", "ประเสริฐ หัวหน้ากะ", "9999", "65555155333310"},
};

struct Report {
    const char *code, *name;
};
const Report kReports[] = {
    {"CODCOMP", "รายชื่อบริษัทลูกค้า"},      {"CODRAW", "รายการวัตถุดิบ"},
    {"CODFORM", "รายการสูตรผสม"},          {"DETDAILY", "รายงานการผลิตประจำวัน"},
    {"DETFORM", "รายงานการใช้วัตถุดิบตามสูตร"}, {"ORDLIST", "รายการใบสั่งผลิต"},
};

bool addCompanies() {
    bool ok = true;
    for (const Company& c : kCompanies)
        ok = ok && appendRecord("COMPANY", {{"CODE", Value(c.code)},
                                            {"NAME", Value(T(c.name))},
                                            {"ADDR1", Value(T(c.addr1))},
                                            {"ADDR2", Value(T(c.addr2))},
                                            {"PLACE1", Value(T(c.place))}});
    return ok;
}

bool addMaterials() {
    bool ok = true;
    for (const Material& m : kMaterials)
        ok = ok && appendRecord("RAWMAT", {{"CODE", Value(m.code)}, {"NAME", Value(T(m.name))}, {"COST", Value(m.cost)}});
    return ok;
}

bool addUnits() {
    bool ok = true;
    for (const Unit& u : kUnits)
        ok = ok && appendRecord("UNIT", {{"CODE", Value(u.code)}, {"NAME", Value(T(u.name))}, {"QTY", Value(u.kilograms)}});
    return ok;
}

bool addFormulas() {
    bool ok = true;
    for (const Formula& f : kFormulas) {
        FieldValues v = {{"CODE", Value(f.code)},
                         {"NAME", Value(T(f.name))},
                         {"CAPACITY", Value(f.capacity)},
                         {"TIME", Value(f.mixTime)},
                         {"DISCHARGE", Value(f.discharge)}};
        for (int n = 1; n <= kSlots; ++n) {
            const Slot& s = f.slots[n - 1];
            if (!s.material) continue;
            const std::string k = std::to_string(n);
            v.insert(v.end(), {{"AGG" + k, Value(s.material)}, {"QTY" + k, Value(s.qty)},
                               {"BIG" + k, Value(s.big)},      {"FAST" + k, Value(s.fast)},
                               {"SLOW" + k, Value(s.slow)},    {"FEED" + k, Value(s.feed)}});
        }
        ok = ok && appendRecord("FORMULA", v);
    }
    return ok;
}

bool addUsers() {
    bool ok = true;
    xbase::Table* users = workAreas().table("USERLIST");
    for (const User& u : kUsers) {
        if (users->seek(std::string(u.code) + std::string(kUserCodeWidth - std::string(u.code).size(), ' ')))
            continue;  // the first user already has this code
        ok = ok && createUser(u.code, T(u.name), u.password, u.rights);
    }
    return ok;
}

bool addReports() {
    bool ok = true;
    for (const Report& r : kReports)
        ok = ok && appendRecord("REPLIST", {{"CODE", Value(r.code)}, {"NAME", Value(T(r.name))}});
    return ok;
}

}  // namespace

bool fillDemoData() {
    bool ok = true;
    for (int n = 1; n <= 6; ++n) ok = ok && openTable(*codeTable(n));
    ok = ok && addCompanies() && addMaterials() && addUnits() && addFormulas() && addUsers() && addReports();
    workAreas().closeAll();
    return ok;
}

}  // namespace mp
