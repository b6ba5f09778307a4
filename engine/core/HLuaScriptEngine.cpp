// The Lua 5.1 script engine.
//
// Lua 5.1 ends the process (through its panic handler) on any error raised
// outside a protected call. Everything here is arranged so that no such error
// can be raised: table accesses are raw and made only on values checked to be
// tables (the bare interpreter offers scripts no way to give a table a
// metatable, so raw access loses nothing), keys are never nil, indices are
// checked against the stack, and script code only ever runs under lua_pcall.
// What is left is the interpreter running out of memory outside a chunk.
#include "engine/core/HLuaScriptEngine.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HMath.h"
#include "engine/core/HUtil.h"

#include <lua.hpp>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Registry key of the set that keeps the texts made from number fields alive.
char g_numberTextsKey = 0;

// The first byte of a precompiled chunk (LUA_SIGNATURE).
constexpr unsigned char kBytecodeMark = 0x1B;

int panicHandler(lua_State* L)
{
    const char* message = lua_tostring(L, -1);
    std::fprintf(stderr, "HLuaScriptEngine: unprotected error: %s\n", message ? message : "(no message)");
    return 0;
}

void instructionLimitHook(lua_State* L, lua_Debug* /*unused*/)
{
    luaL_error(L, "script ran too long");
}


void reportError(lua_State* L)
{
    const char* message = lua_tostring(L, -1);
    std::fprintf(stderr, "%s\n", message ? message : "(error object is not a string)");
}

// Runs lua_next on table 1 with key 2, so that an invalid key raises its
// error inside a protected call.
int protectedNext(lua_State* L)
{
    return lua_next(L, 1) ? 2 : 0;
}

} // namespace

HLuaScriptEngine::HLuaScriptEngine() : m_pLuaState(nullptr), m_uBytesInUse(0), m_uMemoryCeiling(0)
{
}

HLuaScriptEngine::~HLuaScriptEngine()
{
    if (m_pLuaState) {
        lua_close(m_pLuaState);
        m_pLuaState = nullptr;
    }
}

void* HLuaScriptEngine::s_allocate(void* ud, void* ptr, size_t oldSize, size_t newSize)
{
    HLuaScriptEngine* self = static_cast<HLuaScriptEngine*>(ud);
    if (newSize == 0) {
        std::free(ptr);
        self->m_uBytesInUse -= oldSize;
        return nullptr;
    }
    const size_t after = self->m_uBytesInUse - oldSize + newSize;
    if (newSize > oldSize && self->m_uMemoryCeiling != 0 && after > self->m_uMemoryCeiling)
        return nullptr; // the interpreter turns this into a memory error of the chunk
    void* p = std::realloc(ptr, newSize);
    if (!p) {
        // The interpreter relies on a shrink never failing; the old block
        // is still large enough.
        return newSize <= oldSize ? ptr : nullptr;
    }
    self->m_uBytesInUse = after;
    return p;
}

bool HLuaScriptEngine::initScriptEngine()
{
    shutdownScriptEngine();
    m_uBytesInUse = 0;
    m_uMemoryCeiling = 0;
    m_pLuaState = lua_newstate(s_allocate, this);
    if (!m_pLuaState)
        return false;
    lua_atpanic(m_pLuaState, panicHandler);
    return true;
}

void HLuaScriptEngine::shutdownScriptEngine()
{
    if (!m_pLuaState)
        return;
    lua_close(m_pLuaState);
    m_pLuaState = nullptr;
}

int HLuaScriptEngine::m_protectedCall(int nargs, int nresults)
{
    lua_State* L = m_pLuaState;
    // Only the outermost run sets and clears the caps, so a native function
    // that calls back into the engine does not lift them for its caller.
    const bool outermost = m_uMemoryCeiling == 0;
    if (outermost) {
        m_uMemoryCeiling = m_uBytesInUse + kMemoryAllowance;
        lua_sethook(L, instructionLimitHook, LUA_MASKCOUNT, kInstructionLimit);
    }
    const int status = lua_pcall(L, nargs, nresults, 0);
    if (outermost) {
        lua_sethook(L, nullptr, 0, 0);
        m_uMemoryCeiling = 0;
    }
    return status;
}

bool HLuaScriptEngine::doBuffer(const char* buffer, int length)
{
    lua_State* L = m_pLuaState;
    if (!L || !buffer || length < 0 || !lua_checkstack(L, 2))
        return false;
    if (length > 0 && static_cast<unsigned char>(buffer[0]) == kBytecodeMark) {
        std::fprintf(stderr, "buffer: precompiled chunks are not accepted\n");
        return false;
    }
    const int top = lua_gettop(L);
    const bool outermost = m_uMemoryCeiling == 0;
    if (outermost)
        m_uMemoryCeiling = m_uBytesInUse + kMemoryAllowance; // the compiler's memory counts too
    int status = luaL_loadbuffer(L, buffer, static_cast<size_t>(length), "buffer");
    if (outermost)
        m_uMemoryCeiling = 0;
    if (status == 0)
        status = m_protectedCall(0, 0);
    if (status != 0) {
        reportError(L);
        lua_settop(L, top);
        return false;
    }
    lua_settop(L, top);
    return true;
}

// --- stack ---------------------------------------------------------------

bool HLuaScriptEngine::m_isValidIndex(int index) const
{
    if (!m_pLuaState)
        return false;
    if (index == LUA_GLOBALSINDEX || index == LUA_REGISTRYINDEX)
        return true;
    const int top = lua_gettop(m_pLuaState);
    if (index > 0)
        return index <= top;
    if (index < 0 && index > LUA_REGISTRYINDEX)
        return -index <= top;
    return false;
}

int HLuaScriptEngine::m_absIndex(int index) const
{
    if (index > 0 || index <= LUA_REGISTRYINDEX)
        return index;
    return lua_gettop(m_pLuaState) + index + 1;
}

bool HLuaScriptEngine::m_isTopTable() const
{
    return m_pLuaState && lua_gettop(m_pLuaState) > 0 && lua_istable(m_pLuaState, -1);
}

const char* HLuaScriptEngine::m_textOf(int index)
{
    lua_State* L = m_pLuaState;
    const int type = lua_type(L, index);
    if (type == LUA_TSTRING)
        return lua_tostring(L, index);
    if (type != LUA_TNUMBER || !lua_checkstack(L, 3))
        return nullptr;
    // The text of a number is a new string that nothing holds once the
    // caller's copy of the value is popped; a registry set keeps it alive,
    // so the pointer stays valid like that of a string field.
    index = m_absIndex(index);
    const char* text = lua_tostring(L, index);
    lua_pushlightuserdata(L, &g_numberTextsKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        lua_newtable(L);
        lua_pushlightuserdata(L, &g_numberTextsKey);
        lua_pushvalue(L, -2);
        lua_rawset(L, LUA_REGISTRYINDEX);
    }
    lua_pushvalue(L, index);
    lua_pushboolean(L, 1);
    lua_rawset(L, -3);
    lua_pop(L, 1);
    return text;
}

int HLuaScriptEngine::getTop() const
{
    return m_pLuaState ? lua_gettop(m_pLuaState) : 0;
}

void HLuaScriptEngine::pop(int n)
{
    if (!m_pLuaState || n <= 0)
        return;
    const int top = lua_gettop(m_pLuaState);
    if (n > top)
        n = top;
    lua_settop(m_pLuaState, -n - 1);
}

void HLuaScriptEngine::pushNil()
{
    if (m_pLuaState && lua_checkstack(m_pLuaState, 1))
        lua_pushnil(m_pLuaState);
}

void HLuaScriptEngine::pushString(const char* s)
{
    if (m_pLuaState && lua_checkstack(m_pLuaState, 1))
        lua_pushstring(m_pLuaState, s); // null pushes nil
}

void HLuaScriptEngine::pushFloat(float f)
{
    if (m_pLuaState && lua_checkstack(m_pLuaState, 1))
        lua_pushnumber(m_pLuaState, static_cast<lua_Number>(f));
}

void HLuaScriptEngine::pushPointer(void* p)
{
    if (m_pLuaState && lua_checkstack(m_pLuaState, 1))
        lua_pushlightuserdata(m_pLuaState, p);
}

bool HLuaScriptEngine::newTable()
{
    if (!m_pLuaState || !lua_checkstack(m_pLuaState, 1))
        return false;
    lua_newtable(m_pLuaState);
    return true;
}

void HLuaScriptEngine::setTableString(const char* key, const char* value)
{
    lua_State* L = m_pLuaState;
    if (!key || !m_isTopTable() || !lua_checkstack(L, 2))
        return;
    lua_pushstring(L, key);
    lua_pushstring(L, value); // a null value removes the field
    lua_rawset(L, -3);
}

void HLuaScriptEngine::setTablePointer(const char* key, void* p)
{
    lua_State* L = m_pLuaState;
    if (!key || !m_isTopTable() || !lua_checkstack(L, 2))
        return;
    lua_pushstring(L, key);
    lua_pushlightuserdata(L, p);
    lua_rawset(L, -3);
}

void* HLuaScriptEngine::readTablePointer(const char* key)
{
    lua_State* L = m_pLuaState;
    if (!key || !m_isTopTable() || !lua_checkstack(L, 1))
        return nullptr;
    lua_pushstring(L, key);
    lua_rawget(L, -2);
    void* p = lua_type(L, -1) == LUA_TLIGHTUSERDATA ? lua_touserdata(L, -1) : nullptr;
    lua_pop(L, 1);
    return p;
}

void HLuaScriptEngine::setGlobal(const char* name)
{
    lua_State* L = m_pLuaState;
    if (!L || lua_gettop(L) < 1)
        return;
    if (!name || !lua_checkstack(L, 1)) {
        lua_pop(L, 1);
        return;
    }
    lua_pushstring(L, name);
    lua_insert(L, -2);
    lua_rawset(L, LUA_GLOBALSINDEX);
}

bool HLuaScriptEngine::getGlobal(const char* name)
{
    lua_State* L = m_pLuaState;
    if (!L || !lua_checkstack(L, 1))
        return false;
    if (!name) {
        lua_pushnil(L);
        return false;
    }
    lua_pushstring(L, name);
    lua_rawget(L, LUA_GLOBALSINDEX);
    return !lua_isnil(L, -1);
}

bool HLuaScriptEngine::getFunction(const char* name)
{
    getGlobal(name);
    if (m_pLuaState && lua_gettop(m_pLuaState) > 0 && lua_isfunction(m_pLuaState, -1))
        return true;
    HErrorManager::s_db_alert("HLuaScriptEngine::getFunction - '%s' is not a function", name ? name : "(null)");
    return false;
}

void HLuaScriptEngine::registerFunction(const char* name, int (*fn)(lua_State*))
{
    lua_State* L = m_pLuaState;
    if (!L || !name || !fn || !lua_checkstack(L, 1))
        return;
    lua_pushcclosure(L, fn, 0);
    setGlobal(name);
}

void HLuaScriptEngine::call(int nargs, int nresults)
{
    lua_State* L = m_pLuaState;
    if (!L || nargs < 0 || nresults < LUA_MULTRET || lua_gettop(L) < nargs + 1)
        return;
    if (nresults > 0 && !lua_checkstack(L, nresults))
        return;
    if (m_protectedCall(nargs, nresults) == 0)
        return;
    const char* message = lua_tostring(L, -1);
    HErrorManager::s_db_alert("HLuaScriptEngine::call - %s", message ? message : "(error object is not a string)");
    lua_pop(L, 1);
    for (int i = 0; i < nresults; ++i)
        lua_pushnil(L);
}

int HLuaScriptEngine::next(int index)
{
    lua_State* L = m_pLuaState;
    if (!isTable(index) || lua_gettop(L) < 1 || !lua_checkstack(L, 3))
        return 0;
    const int table = m_absIndex(index);
    lua_pushcfunction(L, protectedNext);
    lua_pushvalue(L, table);
    lua_pushvalue(L, -3); // the key
    if (lua_pcall(L, 2, 2, 0) != 0) {
        HErrorManager::s_db_alert("HLuaScriptEngine::next - invalid key");
        lua_pop(L, 2); // message and key
        return 0;
    }
    // Stack: key, next key, next value (two nils at the end).
    if (lua_isnil(L, -2)) {
        lua_pop(L, 3);
        return 0;
    }
    lua_remove(L, -3);
    return 1;
}

const char* HLuaScriptEngine::toString(int index)
{
    return m_isValidIndex(index) ? lua_tostring(m_pLuaState, index) : nullptr;
}

float HLuaScriptEngine::toFloat(int index) const
{
    return m_isValidIndex(index) ? HMath::s_narrowToFloat(lua_tonumber(m_pLuaState, index)) : 0.0f;
}

void* HLuaScriptEngine::toPointer(int index) const
{
    return m_isValidIndex(index) ? lua_touserdata(m_pLuaState, index) : nullptr;
}

bool HLuaScriptEngine::isTable(int index) const
{
    return m_isValidIndex(index) && lua_istable(m_pLuaState, index);
}

// --- tables --------------------------------------------------------------

bool HLuaScriptEngine::getTable(const char* name)
{
    lua_State* L = m_pLuaState;
    if (!L || !lua_checkstack(L, 1))
        return false;
    if (!name) {
        lua_pushvalue(L, LUA_GLOBALSINDEX);
        return true;
    }
    if (!m_isTopTable())
        return false;
    lua_pushstring(L, name);
    lua_rawget(L, -2);
    if (lua_istable(L, -1))
        return true;
    lua_pop(L, 1);
    return false;
}

const char* HLuaScriptEngine::readTableString(const char* name)
{
    lua_State* L = m_pLuaState;
    if (!name || !m_isTopTable() || !lua_checkstack(L, 1))
        return nullptr;
    lua_pushstring(L, name);
    lua_rawget(L, -2);
    const char* text = m_textOf(-1);
    lua_pop(L, 1);
    return text;
}

bool HLuaScriptEngine::readTableFloat(const char* name, float* out)
{
    lua_State* L = m_pLuaState;
    if (!out)
        return false;
    *out = 0.0f;
    if (!name || !m_isTopTable() || !lua_checkstack(L, 1))
        return false;
    lua_pushstring(L, name);
    lua_rawget(L, -2);
    const bool isNumber = lua_type(L, -1) == LUA_TNUMBER; // a numeric string does not count
    if (isNumber)
        *out = HMath::s_narrowToFloat(lua_tonumber(L, -1));
    lua_pop(L, 1);
    return isNumber;
}

bool HLuaScriptEngine::readTableInt(const char* name, int* out)
{
    float f = 0.0f;
    if (!out || !readTableFloat(name, &f))
        return false;
    // INT_MAX is not a float; 2^31 is the first value past the range.
    if (!(f > -2147483904.0f && f < 2147483648.0f))
        return false;
    *out = static_cast<int>(f);
    return true;
}

bool HLuaScriptEngine::readSubTableFloat(const char* path, float* out)
{
    lua_State* L = m_pLuaState;
    if (!path || !out)
        return false;
    char subTable[128];
    HUtil::s_strcpy(subTable, path, sizeof(subTable));
    char* dot = std::strchr(subTable, '.');
    if (!dot) {
        HErrorManager::s_db_alert("Error reading subtable field '%s'", path);
        return false;
    }
    *dot = '\0';
    char field[128];
    HUtil::s_strcpy(field, dot + 1, sizeof(field));

    if (!m_isTopTable() || !lua_checkstack(L, 1)) {
        *out = 0.0f;
        return false;
    }
    lua_pushstring(L, subTable);
    lua_rawget(L, -2);
    if (lua_istable(L, -1) && readTableFloat(field, out)) {
        lua_pop(L, 1);
        return true;
    }
    lua_pop(L, 1);
    *out = 0.0f;
    return false;
}

int HLuaScriptEngine::getTableSize()
{
    if (!m_isTopTable())
        return 0;
    const size_t n = lua_objlen(m_pLuaState, -1);
    return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

const char* HLuaScriptEngine::readTableStringByIndex(int i)
{
    lua_State* L = m_pLuaState;
    if (i < 0 || i >= getTableSize() || !lua_checkstack(L, 1))
        return nullptr;
    lua_rawgeti(L, -1, i + 1);
    const char* text = m_textOf(-1);
    if (!text)
        HErrorManager::s_db_alert("HLuaScriptEngine::readTableStringByIndex - not a string");
    lua_pop(L, 1);
    return text;
}
