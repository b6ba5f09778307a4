// config.txt: two CR LF lines; the game reads the partner address from the
// second, "partnerURL=" followed by an address without blanks.
#include "tools/mkarchive/Producers.h"

namespace mkarchive {

bool makeConfig(AssetSet& set)
{
    return set.addText("config.txt",
                       "Qinvar MahJong resources\r\n"
                       "partnerURL=https://www.moravel.example/qinvar\r\n");
}

} // namespace mkarchive
