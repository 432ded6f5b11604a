#include "AppConstants.h"

#include <cstdlib>

namespace veloquix {

std::string showcaseBaseUrl()
{
    const char* override = std::getenv("VELOQUIX_SHOWCASE_URL");
    std::string url = (override && *override) ? override : kShowcaseBaseUrl;
    if (url.back() != '/') url += '/';
    return url;
}

} // namespace veloquix
