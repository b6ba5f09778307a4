// Event records: construction and their texts.
#include "engine/core/HEvent.h"

#include "engine/core/HUtil.h"


namespace {

const char* const kTypeNames[ET_LAST + 1] = {
    "ET_NONE",    "ET_QUIT",   "ET_PASTE",   "ET_TOGGLE_FULLSCREEN", "ET_PAINT",     "ET_ACTIVATE",
    "ET_WINDOW_MINIMIZED",     "ET_KEYUP",   "ET_KEYDOWN",           "ET_DPAD",      "ET_COMMAND",
    "ET_NETWORK", "ET_MOUSEMOVE", "ET_MOUSEWHEEL", "ET_TIMESTAMP",
};

struct KeyName {
    uint32_t code;
    const char* name;
};

const KeyName kKeyNames[] = {
    {KC_LBUTTON, "KC_LBUTTON"},   {KC_RBUTTON, "KC_RBUTTON"},     {KC_MBUTTON, "KC_MBUTTON"},
    {KC_BACK, "KC_BACK"},         {KC_TAB, "KC_TAB"},             {KC_CLEAR, "KC_CLEAR"},
    {KC_RETURN, "KC_RETURN"},     {KC_SHIFT, "KC_SHIFT"},         {KC_CONTROL, "KC_CONTROL"},
    {KC_MENU, "KC_MENU"},         {KC_ESCAPE, "KC_ESCAPE"},       {KC_SPACE, "KC_SPACE"},
    {KC_END, "KC_END"},           {KC_HOME, "KC_HOME"},           {KC_LEFT, "KC_LEFT"},
    {KC_UP, "KC_UP"},             {KC_RIGHT, "KC_RIGHT"},         {KC_DOWN, "KC_DOWN"},
    {KC_INSERT, "KC_INSERT"},     {KC_DELETE, "KC_DELETE"},       {KC_0, "KC_0"},
    {KC_1, "KC_1"},               {KC_2, "KC_2"},                 {KC_3, "KC_3"},
    {KC_4, "KC_4"},               {KC_5, "KC_5"},                 {KC_6, "KC_6"},
    {KC_7, "KC_7"},               {KC_8, "KC_8"},                 {KC_9, "KC_9"},
    {KC_A, "KC_A"},               {KC_B, "KC_B"},                 {KC_C, "KC_C"},
    {KC_D, "KC_D"},               {KC_E, "KC_E"},                 {KC_F, "KC_F"},
    {KC_G, "KC_G"},               {KC_H, "KC_H"},                 {KC_I, "KC_I"},
    {KC_J, "KC_J"},               {KC_K, "KC_K"},                 {KC_L, "KC_L"},
    {KC_M, "KC_M"},               {KC_N, "KC_N"},                 {KC_O, "KC_O"},
    {KC_P, "KC_P"},               {KC_Q, "KC_Q"},                 {KC_R, "KC_R"},
    {KC_S, "KC_S"},               {KC_T, "KC_T"},                 {KC_U, "KC_U"},
    {KC_V, "KC_V"},               {KC_W, "KC_W"},                 {KC_X, "KC_X"},
    {KC_Y, "KC_Y"},               {KC_Z, "KC_Z"},                 {KC_NUMPAD0, "KC_NUMPAD0"},
    {KC_NUMPAD1, "KC_NUMPAD1"},   {KC_NUMPAD2, "KC_NUMPAD2"},     {KC_NUMPAD3, "KC_NUMPAD3"},
    {KC_NUMPAD4, "KC_NUMPAD4"},   {KC_NUMPAD5, "KC_NUMPAD5"},     {KC_NUMPAD6, "KC_NUMPAD6"},
    {KC_NUMPAD7, "KC_NUMPAD7"},   {KC_NUMPAD8, "KC_NUMPAD8"},     {KC_NUMPAD9, "KC_NUMPAD9"},
    {KC_MULTIPLY, "KC_MULTIPLY"}, {KC_ADD, "KC_ADD"},             {KC_SEPARATOR, "KC_SEPARATOR"},
    {KC_SUBTRACT, "KC_SUBTRACT"}, {KC_DECIMAL, "KC_DECIMAL"},     {KC_DIVIDE, "KC_DIVIDE"},
    {KC_F1, "KC_F1"},             {KC_F2, "KC_F2"},               {KC_F3, "KC_F3"},
    {KC_F4, "KC_F4"},             {KC_F5, "KC_F5"},               {KC_F6, "KC_F6"},
    {KC_F7, "KC_F7"},             {KC_F8, "KC_F8"},               {KC_F9, "KC_F9"},
    {KC_F10, "KC_F10"},           {KC_F11, "KC_F11"},             {KC_F12, "KC_F12"},
    {KC_JOY0, "KC_JOY0"},         {KC_JOY1, "KC_JOY1"},
};

char sm_szCharacterKey[2];
char sm_szUnknownKey[256];

const char* typeName(uint32_t type)
{
    return type <= ET_LAST ? kTypeNames[type] : "Unknown";
}

} // namespace

HEvent HEvent::s_make(HEventType type)
{
    // Every byte of the record is a member (the padding too), so value
    // initialisation leaves no byte unset.
    HEvent e{};
    e.type = type;
    return e;
}

const char* HEvent::toString(char* buf, int len) const
{
    const char* name = typeName(type);
    const unsigned t = time.getTime32Truncate();
    switch (type) {
    case ET_WINDOW_MINIMIZED:
        return HUtil::s_sprintf(buf, len, "%s(%u): minimized=%d", name, t, static_cast<int>(state));
    case ET_KEYUP:
    case ET_KEYDOWN:
        return HUtil::s_sprintf(buf, len, "%s(%u) - key=%s pt=%d,%d", name, t, getKeyString(), point.x, point.y);
    case ET_MOUSEMOVE:
        return HUtil::s_sprintf(buf, len, "%s(%u) - pt=%d,%d", name, t, point.x, point.y);
    default:
        return HUtil::s_sprintf(buf, len, "%s(%u)", name, t);
    }
}

const char* HEvent::getKeyString() const
{
    if (type != ET_KEYUP && type != ET_KEYDOWN)
        return "Not A Key";
    if (keyCode == KC_NONE) {
        if (character == 0)
            return "KC_INVALID";
        sm_szCharacterKey[0] = character;
        sm_szCharacterKey[1] = '\0';
        return sm_szCharacterKey;
    }
    for (const KeyName& k : kKeyNames) {
        if (k.code == keyCode)
            return k.name;
    }
    return HUtil::s_sprintf(sm_szUnknownKey, sizeof(sm_szUnknownKey), "Unknown(0x%x)", keyCode);
}
