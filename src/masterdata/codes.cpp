#include "masterdata/codes.h"

#include <cstdio>

#include "data/catalogue.h"
#include "data/table_access.h"
#include "platform/runtime/cp874.h"
#include "platform/runtime/operator.h"

namespace mp {
namespace {

constexpr int kRightsDigits[] = {3, 4, 5, 6, 7, 8};

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string trim(const std::string& s) {
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

xbase::Table* codeTableOpen(int table) {
    const TableDef* def = codeTable(table);
    return def ? workAreas().table(def->alias) : nullptr;
}

const xbase::FieldDef* fieldOf(const xbase::Table* t, const std::string& name) {
    const int i = t ? t->fieldIndex(name) : -1;
    return i < 0 ? nullptr : &t->fields()[i];
}

std::string codeKey(const xbase::Table* t, const std::string& code) {
    const xbase::FieldDef* f = fieldOf(t, "CODE");
    std::string key = upper(code).substr(0, f ? f->width : code.size());
    if (f) key.resize(f->width, ' ');
    return key;
}

bool numberFits(const xbase::FieldDef& f, double n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", f.decimals, n);
    return static_cast<int>(std::string(buf).size()) <= f.width;
}

void keepPosition(xbase::Table* t, uint32_t recNo, bool wasEnd) {
    if (wasEnd) {
        t->goBottom();
        t->skip(1);
    } else {
        t->goTo(recNo);
    }
}

const char* const kSlotNames[] = {"AGG", "QTY", "BIG", "FAST", "SLOW", "ADJUST", "FEED"};

}  // namespace

int codeRightsDigit(int table) { return table >= 1 && table <= 6 ? kRightsDigits[table - 1] : 0; }

bool openCodeTable(int table) {
    const TableDef* def = codeTable(table);
    return def && openTable(*def);
}

bool codeButtonEnabled(CodeButton b, int level, bool editingAllowed) {
    if (!editingAllowed) return false;
    switch (b) {
        case CodeButton::Add: return level >= 3;
        case CodeButton::Edit: return level >= 4;
        case CodeButton::Delete: return level >= 5;
    }
    return false;
}

PickResult pickCode(int table, std::string& code) {
    xbase::Table* t = codeTableOpen(table);
    if (!t) return PickResult::NotFound;
    if (!t->seek(codeKey(t, code))) return PickResult::NotFound;
    if (t->deleted()) {
        operatorUi().alert(T("ข้อมูลถูกทำเครื่องหมายลบ !"), T("  ส่วนตารางรหัส"));
        return PickResult::Marked;
    }
    code = t->value("CODE").text();
    return PickResult::Taken;
}

bool CODCHK(const std::string& oldCode, const std::string& newCode) {
    xbase::Table* t = currentTable();
    if (!t) return false;
    const std::string wanted = codeKey(t, newCode);
    if (wanted == codeKey(t, oldCode)) return true;
    const uint32_t here = t->recNo();
    const bool wasEnd = t->eof();
    const bool taken = t->seek(wanted);
    keepPosition(t, here, wasEnd);
    if (!taken) return true;
    operatorUi().alert(T("รหัสนี้มีในตารางข้อมูลแล้ว !"), T("คำเตือน"));
    return false;
}

std::vector<std::string> editedFields(int table) {
    switch (table) {
        case 1: return {"CODE", "NAME", "ADDR1", "ADDR2", "PLACE1", "PLACE2", "REMARKS"};
        case 2: return {"CODE", "NAME", "COST", "REMARKS"};
        case 3: {
            std::vector<std::string> f = {"CODE", "NAME", "CAPACITY", "TIME", "DISCHARGE", "REMARKS"};
            for (int n = 1; n <= kSlots; ++n)
                for (const char* name : kSlotNames) f.push_back(name + std::to_string(n));
            return f;
        }
        case 4:
        case 5: return {"CODE", "NAME"};
        case 6: return {"CODE", "NAME", "QTY"};
        default: return {};
    }
}

CodeEditor::CodeEditor(int table, bool isNew) : m_table(table), m_new(isNew) {}

bool CodeEditor::start() {
    xbase::Table* t = codeTableOpen(m_table);
    if (!t || (!m_new && (t->eof() || t->deleted()))) {
        operatorUi().alert(T("ไม่สามารถแก้ไขข้อมูลนี้ได้"), T("ส่วนทำการแก้ไขรหัสข้อมูล"));
        return false;
    }
    workAreas().select(codeTable(m_table)->alias);
    m_values.clear();
    for (const std::string& name : editedFields(m_table)) {
        const xbase::FieldDef* f = fieldOf(t, name);
        if (!f) continue;
        Value v = m_new ? Value() : t->value(name);
        if (v.isNil()) v = f->type == 'N' ? Value(0.0) : Value(std::string(f->width, ' '));
        m_values.push_back({name, v});
    }
    m_oldCode = m_new ? "" : t->value("CODE").text();
    return true;
}

Value CodeEditor::get(const std::string& field) const {
    for (const auto& [name, v] : m_values)
        if (name == upper(field)) return v;
    return Value();
}

bool CodeEditor::set(const std::string& field, const Value& v) {
    const std::string name = upper(field);
    const xbase::FieldDef* f = fieldOf(codeTableOpen(m_table), name);
    if (!f) return false;
    for (auto& [n, value] : m_values) {
        if (n != name) continue;
        if (f->type == 'N') {
            if (!v.isNumber() || !numberFits(*f, v.number())) return false;
            value = v;
        } else {
            if (!v.isText()) return false;
            std::string text = name == "CODE" ? upper(v.text()) : v.text();
            text.resize(f->width, ' ');
            value = Value(text);
        }
        return true;
    }
    return false;
}

bool CodeEditor::codeAccepted() const {
    const std::string code = trim(get("CODE").text());
    if (code.empty()) return false;
    return CODCHK(m_oldCode, code);
}

bool CodeEditor::nameAccepted() const { return !trim(get("NAME").text()).empty(); }

bool CodeEditor::save() {
    xbase::Table* t = codeTableOpen(m_table);
    if (!t || !codeAccepted() || !nameAccepted()) return false;
    workAreas().select(codeTable(m_table)->alias);
    if (m_new ? !ADD_REC(0) : !REC_LOCK(0)) return false;
    bool ok = true;
    for (const auto& [name, v] : m_values) ok = ok && t->setValue(name, v);
    ok = ok && t->commit();
    t->unlockAll();
    m_oldCode = t->value("CODE").text();
    m_new = false;
    return ok;
}

bool CDELETE() {
    xbase::Table* t = currentTable();
    if (!t || t->eof()) return false;
    const bool marked = t->deleted();
    if (!operatorUi().yesNo(marked ? T("ยกเลิกเครื่องหมายลบ") : T("สั่งทำเครื่องหมายลบ"), T("กรุณายืนยันการทำงาน")))
        return false;
    if (!REC_LOCK(0)) return false;
    const bool ok = t->setDeleted(!marked) && t->commit();
    t->unlockAll();
    return ok;
}

std::vector<CodeRow> codeRows(int table) {
    std::vector<CodeRow> rows;
    xbase::Table* t = codeTableOpen(table);
    if (!t) return rows;
    for (t->goTop(); !t->eof(); t->skip())
        rows.push_back({t->deleted(), t->value("CODE").text(), t->value("NAME").text()});
    return rows;
}

}  // namespace mp
