// HPuzzleGame's ready-made dialogs (the image message box and the slide
// show, each run modally on the game's display device and event manager)
// and the link to the partner's web page.
#include "framework/HPuzzleGame.h"

#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUtil.h"
#include "ui/MVMessageDialog.h"
#include "ui/MVSlideShowDialog.h"

#include <cstring>

namespace {

// The partner address: "config.txt" is read up to this many bytes, and the
// address (from the file, the registry or the game) is at most this long
// with its terminator.
constexpr int kPartnerURLBytes = 1024;

// The prefix of the address line, the second line of "config.txt".
const char kPartnerURLKey[] = "partnerURL=";

// Where getPartnerURL answers; overwritten by each call.
char s_szPartnerURL[kPartnerURLBytes] = "";

bool endsAddress(char c)
{
    return c == '\0' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Copies the address of the text's second line into out (len bytes) when
// that line is "partnerURL=" followed by at least one character of address.
// Lines end with LF, with or without a CR before it. Anything else leaves
// out as it was; so does an address that runs to the end of a text cut
// short by the read limit (`cut`), which may be missing its end.
void takeAddressFromConfig(const char* text, bool cut, char* out, int len)
{
    const char* line = std::strchr(text, '\n');
    if (!line)
        return;
    ++line;
    const size_t keyLength = sizeof(kPartnerURLKey) - 1;
    if (std::strncmp(line, kPartnerURLKey, keyLength) != 0)
        return;
    const char* address = line + keyLength;
    size_t n = 0;
    while (!endsAddress(address[n]))
        ++n;
    if (n == 0 || (cut && address[n] == '\0'))
        return;
    if (n > static_cast<size_t>(len - 1))
        n = static_cast<size_t>(len - 1);
    std::memcpy(out, address, n);
    out[n] = '\0';
}

} // namespace

int HPuzzleGame::m_doMessageDialog(int x, int y, int delayMs, const char* background, const char* button1,
                                   const char* button1Lit, const char* button2, const char* button2Lit)
{
    MVMessageDialog dialog;
    dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, x, y, delayMs > 0 ? 1 : 0, background, button1,
                      button1Lit, button2, button2Lit);
    const intptr_t closedBy = dialog.doModal(this, m_pDisplayDevice, &m_eventManager, delayMs, this);
    int result = 0;
    if (closedBy == reinterpret_cast<intptr_t>(dialog.getOkButton()))
        result = 1;
    else if (closedBy == MVDialog::kQuit)
        result = 2;
    dialog.unloadDialogSprites();
    dialog.removeAllItems();
    invalidateWholeScreen();
    return result;
}

int HPuzzleGame::m_doSlideShowDialog(int x, int y, const char* image1, const char* image2, const char* image3,
                                     const char* image4, const char* image5, const char* image6,
                                     const char** slides, int count)
{
    if (!slides || count < 1)
        return 1;
    MVSlideShowDialog dialog;
    if (dialog.initDialog(x, y, m_pDisplayDevice, m_pReadFileSystem, image1, image2, image3, image4, image5, image6,
                          slides, count))
        dialog.doModal(this, m_pDisplayDevice, &m_eventManager, 0, this);
    dialog.unloadDialogSprites();
    dialog.removeAllItems();
    return 1;
}

char* HPuzzleGame::m_findPartnerURL(const char* defaultAddress, const char* company, const char* product, char* out,
                                    int len)
{
    if (!out || len <= 0)
        return out;
    HUtil::s_strcpy(out, defaultAddress ? defaultAddress : "", len);

    if (m_pReadFileSystem) {
        if (HFile* config = m_pReadFileSystem->openFileForRead("config.txt")) {
            // At most 1023 bytes, terminated here: the file may hold anything.
            char text[kPartnerURLBytes];
            const int limit = static_cast<int>(sizeof(text)) - 1;
            int n = config->read(text, limit);
            const bool cut = n >= limit && config->length() > limit;
            config->close();
            if (n < 0)
                n = 0;
            text[n] = '\0';
            takeAddressFromConfig(text, cut, out, len);
        }
    }

    if (company && product) {
        HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
        if (registry && registry->openRegistryFor(HSystemRegistry::USE_READ, &m_cvarManager, company, product)) {
            char value[kPartnerURLBytes];
            if (registry->getStringValue("partnerURL", value, static_cast<int>(sizeof(value))) && value[0])
                HUtil::s_strcpy(out, value, len);
            registry->closeRegistry();
        }
    }
    return out;
}

void HPuzzleGame::goToPartnerSite(const char* defaultAddress, const char* company, const char* product)
{
    char address[kPartnerURLBytes];
    m_findPartnerURL(defaultAddress, company, product, address, static_cast<int>(sizeof(address)));
    // s_openURL starts the browser without a shell, the address one
    // argument of it, and opens only web addresses.
    HPlatform::s_openURL(address, m_getExitCode());
}

const char* HPuzzleGame::getPartnerURL()
{
    const char* company = m_cvarManager.getVariableString("companyName");
    const char* product = m_cvarManager.getVariableString("productName");
    return m_findPartnerURL("", company, product, s_szPartnerURL, static_cast<int>(sizeof(s_szPartnerURL)));
}

void HPuzzleGame::m_gotoHomePage(const char* address)
{
    if (address)
        HPlatform::s_openURL(address, m_getExitCode());
}
