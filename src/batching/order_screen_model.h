#pragma once

// The orders screen's state without its widgets: PSTEP, the entry values,
// the status and position texts, which entries and buttons are enabled in
// each state for the user's rights level, and the actions of the buttons.
// The screen only shows what this model holds; mixplant-cli drives it the
// same way. While it lives its values are process-wide names (PSTEP, PPOS,
// CNUMBER, CDATE, CTIME, CCOMPANY, CCOMNAME, CREMARK1..3, CDETTOT,
// PSTATNAME, PRECP, PTRUSLEVEL) for the forms.

#include <cstdint>
#include <string>

#include "batching/orders.h"
#include "platform/runtime/publics.h"

namespace mp {

// The screen's buttons: 01..13 of the button row, then the two line buttons
// and the zero button.
enum class OrderButton {
    First = 1, Previous, Next, Last, New, Edit, Delete, Search, Save, Cancel, Mix, Print, Exit,
    AddLine, DeleteLine, Zero,
};
constexpr int kOrderButtons = 16;

// The header entries.
enum class OrderField { Number, Date, Time, Company, Remark1, Remark2, Remark3 };

// Row colours of the lines and batch lists (MIXCOLOR1..4).
struct RowColours {
    long text, background, highlightedText, highlightedBackground;
};
// The colours of a record by its STAT and deleted flag: marked first, then
// status "1" or "2", then any other status.
RowColours rowColours(const std::string& stat, bool deleted);
// Windows colour value of RGB(r, g, b).
constexpr long rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

class OrderScreenModel {
public:
    // `rightsLevel`: PTRUSLEVEL, the user's level of area 1.
    explicit OrderScreenModel(int rightsLevel);
    ~OrderScreenModel();
    OrderScreenModel(const OrderScreenModel&) = delete;
    OrderScreenModel& operator=(const OrderScreenModel&) = delete;

    // PROCESS steps 1 to 3: the tables, the last order, one display. False
    // when a table cannot be opened (the screen is not shown).
    bool open();
    // PROCESS step 4: all tables closed.
    void close();

    // PROCDISP: upkeep of the shown order's lines, texts, entries from the
    // order, entries disabled, buttons as the state and rights allow.
    void display();
    // Buttons 01..04 and 08 (search with `text`), each followed by display().
    void move(int mode);
    bool search(const std::string& text);

    // PROCEDIT(true): state 1 on a blank order, the number proposed by the
    // counter (read only), today's date and the time.
    void beginNew();
    // PROCEDIT(false) through button 06: refused with "ข้อมูลนี้ถูกสั่งลบ" for a
    // marked order (false, state unchanged).
    bool beginEdit();
    // PROCSAVE: false for an incomplete entry (state unchanged).
    bool save();
    // PCANCEL and the display: back to the order shown before, state 0.
    void cancel();
    // PDELETE and the display.
    bool deleteOrRestore();
    // The dialog may close only while browsing.
    bool canClose() const { return m_step == 0; }

    int step() const { return static_cast<int>(m_step); }
    OrderHeader& entry() { return m_entry; }
    const OrderHeader& entry() const { return m_entry; }
    // Leaving the company field: CCOMNAME from the code now in it.
    void companyLeft();
    const std::string& companyName() const { return m_companyName; }
    const std::string& statusText() const { return m_statusText; }
    const std::string& positionText() const { return m_positionText; }
    int lineCount() const { return static_cast<int>(m_lineCount); }
    bool orderMarked() const { return m_marked; }

    bool enabled(OrderButton b) const { return m_buttons[static_cast<int>(b) - 1]; }
    bool enabled(OrderField f) const;
    // The lines list opens the line dialog only while browsing.
    bool linesOpenDialog() const { return m_step == 0; }

private:
    void loadEntry();
    void applyButtons();
    void applyRights();
    void entryButtons();
    void set(OrderButton b, bool on) { m_buttons[static_cast<int>(b) - 1] = on; }
    void registerNames();

    double m_level;
    double m_step = 0;
    double m_ppos = 0;
    OrderHeader m_entry;
    std::string m_companyName, m_statusText, m_positionText;
    double m_lineCount = 0;
    bool m_marked = false;
    bool m_buttons[kOrderButtons] = {};
    PublicsScope m_names;
};

}  // namespace mp
