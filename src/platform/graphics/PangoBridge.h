#pragma once

// The text sources share one Pango context and one way of turning a Font into a Pango font
// description. Pango's headers stay in the .cpp files.

#include "platform/graphics/Font.h"

struct _PangoContext;
struct _PangoFontDescription;

namespace platform::detail {

// The context every layout is made in: the installed fonts at 72 points an inch, unhinted,
// so that sizes do not depend on the screen.
_PangoContext* pangoContext();
// A new description for the font; free it with pango_font_description_free.
_PangoFontDescription* newFontDescription(const Font& font);

} // namespace platform::detail
