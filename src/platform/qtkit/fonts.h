#pragma once

#include <QFont>
#include <QString>
#include <string>

namespace mp {

// What a font is for: the screens take a clear Thai screen face, printed
// forms a Thai face made for print.
enum class FontUse { Screen, Print };

// The installed face that stands in for a face name of the settings. Windows
// Thai faces ("MS Sans Serif", "Tahoma", "EucrosiaUPC", "AngsanaUPC", ...)
// map to TLWG's Loma on screen and Norasi (serif faces) or Kinnari on paper.
// A face that is installed under its own name is kept, except Tlwg Mono,
// which misplaces the Thai marks and is never used.
QString mapFaceName(const std::string& face, FontUse use);

// A font from the settings' face, width and height as the plant's MAIN.INI
// holds them: a negative height asks for that character height in pixels, a
// positive one for that cell height (marks included); width 0 keeps the
// face's own proportions, another width narrows or widens to that average
// character width.
QFont makeFont(const std::string& face, double width, double height, FontUse use);

}  // namespace mp
