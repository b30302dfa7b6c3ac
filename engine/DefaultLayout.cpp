#include "engine/ZInstrument.h"

// The player layout of a new instrument: two labels, a keyboard, six knobs, a
// button and two meters.
const char* const defaultLayoutXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<player width=\"593\" height=\"242\">\n"
    "<images/>\n"
    "<label x=\"173\" y=\"62\" width=\"286\" height=\"21\" 8=\"\" 2=\"1\" 16777957=\"ffffffff\"/>\n"
    "<label x=\"149\" y=\"82\" width=\"317\" height=\"23\" 8=\"\" 2=\"2\" 16777957=\"ffffffff\"/>\n"
    "<keyboard x=\"9\" y=\"180\" width=\"574\" height=\"60\" 4=\"36,95\"/>\n"
    "<knob x=\"75\" y=\"123\" width=\"40\" height=\"40\" 2=\"101\" 16782198=\"66dfc4c4\" 16782197=\"7fdadadc\"/>\n"
    "<knob x=\"148\" y=\"124\" width=\"40\" height=\"40\" 2=\"102\" 16782198=\"66dfc4c4\" 16782197=\"7fdadadc\"/>\n"
    "<knob x=\"222\" y=\"123\" width=\"40\" height=\"40\" 2=\"103\" 16782198=\"66dfc4c4\" 16782197=\"7fdadadc\"/>\n"
    "<knob x=\"309\" y=\"124\" width=\"40\" height=\"40\" 2=\"104\" 16782198=\"66dfc4c4\" 16782197=\"7fdadadc\"/>\n"
    "<knob x=\"393\" y=\"124\" width=\"40\" height=\"40\" 2=\"2\" 16782198=\"66dfc4c4\" 16782197=\"7fdadadc\"/>\n"
    "<knob x=\"477\" y=\"124\" width=\"40\" height=\"40\" 2=\"3\" 16782198=\"66dfc4c4\" 16782197=\"7fdadadc\"/>\n"
    "<button x=\"471\" y=\"82\" width=\"24\" height=\"22\" 2=\"9\" 1=\"0\"/><meter x=\"479\" y=\"67\" width=\"2\" height=\"14\" 2=\"1\"/><meter x=\"485\" y=\"67\" width=\"2\" height=\"14\" 2=\"2\"/></player>";
