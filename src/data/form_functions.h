#pragma once

namespace mp {

// Makes the common helpers and the key builders callable by name from the
// form expressions (ZERO, ZERO2, XROUND, EQCHECK, SELCOLOR, MONTHNAME,
// BCYEAR, FIRSTDAY, LASTDAY, BIN2DEC, DEC2BIN, HEX2DEC, HEX2BIN, TDELAY,
// SPLIT, INDENT, INDENT2, CONSEC). installTableLayer() calls it.
void registerDataFunctions();

}  // namespace mp
