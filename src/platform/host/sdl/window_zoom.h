#pragma once
// How large the window opens: a whole multiple of the panel, so that every
// device pixel is a sharp square, and never larger than the desktop can show.

#include <algorithm>
#include <cstdlib>
#include <string>

namespace host {

struct ZoomChoice {
    int factor = 1;
    bool reduced = false;  // a factor asked for did not fit and was made smaller
};

// `zoom` is the --zoom option. "integer" and "fit" open at the largest factor
// whose window covers at most nine tenths of the usable area, leaving the
// desktop around it. A number asks for that factor; it becomes the largest one
// whose window, with its frame (0 x 0 when not known), fits the usable area.
// Factor 1 is the smallest, even when it does not fit.
inline ZoomChoice ChooseZoom(const std::string& zoom, int panelWidth, int panelHeight, int usableWidth,
                             int usableHeight, int frameWidth = 0, int frameHeight = 0) {
    ZoomChoice choice;
    int asked = std::atoi(zoom.c_str());
    if (asked < 1) {
        while (panelWidth * (choice.factor + 1) <= usableWidth * 9 / 10 &&
               panelHeight * (choice.factor + 1) <= usableHeight * 9 / 10)
            ++choice.factor;
        return choice;
    }
    choice.factor = asked;
    while (choice.factor > 1 && (panelWidth * choice.factor + frameWidth > usableWidth ||
                                 panelHeight * choice.factor + frameHeight > usableHeight))
        --choice.factor;
    choice.reduced = choice.factor < asked;
    return choice;
}

}  // namespace host
