#include "WindowTitle.h"

#include "AppConstants.h"
#include "cocos2d.h"

namespace veloquix {

std::string windowTitleFor(const std::string& circuitName)
{
    // Control characters (a line break pasted into a name) would break the
    // title bar's single line; each becomes a space, and the ends are trimmed.
    std::string name;
    for (char c : circuitName) name += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
    size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return kWindowTitle;
    name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    return std::string(kWindowTitle) + " \xE2\x80\x94 " + name;
}

void showCircuitInWindowTitle(const std::string& circuitName)
{
    if (cocos2d::GLView* view = cocos2d::Director::getInstance()->getOpenGLView()) {
        view->setViewName(windowTitleFor(circuitName));
    }
}

} // namespace veloquix
