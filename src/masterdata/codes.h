#pragma once

// The code tables without their dialogs: opening one, the rights of the
// picker's buttons, taking a typed code (the picker's exact match), the
// duplicate test CODCHK, the record editors' values, checks and save (the
// five small editors and the formula editor with its 62 values), and the
// picker's mark and restore.
//
// A marked code can neither be picked nor edited; marking tests nothing
// about where the code is used.

#include <string>
#include <vector>

#include "platform/runtime/value.h"

namespace mp {

// The rights digit of code table 1..6 (3, 4, 5, 6, 7, 8), 0 otherwise.
int codeRightsDigit(int table);

// OPEN of code table 1..6 from CDRV1, shared, key "code"; selected. False
// after OPEN's message.
bool openCodeTable(int table);

// The picker's buttons, by the rights level of its table: Add from 3, Edit
// from 4, Delete from 5; none when editing is not allowed.
enum class CodeButton { Add, Edit, Delete };
bool codeButtonEnabled(CodeButton b, int level, bool editingAllowed = true);

enum class PickResult { Taken, Marked, NotFound };
// The picker's exact match of a typed code in open code table `table`: the
// code upper-cased and blank-filled to the field's width is sought. Taken:
// `code` becomes the stored code, the table stands on it. Marked: the
// record is marked deleted, "ข้อมูลถูกทำเครื่องหมายลบ !" is shown and nothing
// is taken. NotFound: the table stands past its end.
PickResult pickCode(int table, std::string& code);

// CODCHK on the current table: true when `newCode` equals `oldCode` or no
// record (marked ones included) has it; otherwise "รหัสนี้มีในตารางข้อมูลแล้ว !"
// (title "คำเตือน") and false. The table's position is kept.
bool CODCHK(const std::string& oldCode, const std::string& newCode);

// The fields a record editor edits, in dialog order: CODE and NAME, then
// ADDR1.. for companies, COST, REMARKS for raw materials, QTY for units, and
// for formulas CAPACITY, TIME, DISCHARGE, REMARKS and AGGn, QTYn, BIGn,
// FASTn, SLOWn, ADJUSTn, FEEDn of the eight slots (62 values).
std::vector<std::string> editedFields(int table);

// One record editor (CEDIT01..06) on open code table `table`, which is
// selected and, for a change, positioned on the record.
class CodeEditor {
public:
    CodeEditor(int table, bool isNew);

    // Refused (false) for a change of a marked record or of no record:
    // "ไม่สามารถแก้ไขข้อมูลนี้ได้" is shown then.
    bool start();

    bool isNew() const { return m_new; }
    // A field's value; unknown names give no value.
    Value get(const std::string& field) const;
    // Sets an edited field (texts cut to the field's width; CODE upper-cased).
    // False for a field this editor does not edit, a wrong kind or a number
    // too wide for the field.
    bool set(const std::string& field, const Value& v);

    // The checks on leaving the code and the name: the code must not be
    // empty and not be another record's (CODCHK against the code the record
    // had), the name must not be empty.
    bool codeAccepted() const;
    bool nameAccepted() const;

    // The save button: repeats both checks, then appends the new record with
    // exactly these fields or rewrites the record under its lock. False
    // (nothing written) when a check fails.
    bool save();

private:
    int m_table;
    bool m_new;
    std::string m_oldCode;
    std::vector<std::pair<std::string, Value>> m_values;
};

// CDELETE: asks (title "กรุณายืนยันการทำงาน") and on Yes flips the mark of
// the current record of the selected code table under its lock. True when
// the mark changed.
bool CDELETE();

// Every record of open code table `table` in code order: (marked, code, name).
struct CodeRow {
    bool marked;
    std::string code, name;
};
std::vector<CodeRow> codeRows(int table);

}  // namespace mp
