#pragma once
// System-font text for device contexts: LocateFont (font_locator.h) finds the
// font file for a face name, FreeType draws anti-aliased glyphs, and the layout follows
// the system's formatted-text call: lines broken at line feeds and, with
// DT_WORDBREAK, between words; aligned left, centre or right; DT_VCENTER and
// DT_BOTTOM for single lines; DT_CALCRECT measures without drawing.
//
// Font heights are cell heights (ascent + descent) when positive and
// character (em) heights when negative, as the system's fonts count them.
// Without any usable font, text draws nothing and measures zero.

#include "platform/host/device_context.h"

namespace host {

// The process-wide rasterizer; FreeType and the font lookup start on first use.
TextRasterizer& SystemFontText();

}  // namespace host
