// Console variables kept as global tables of the Lua script engine.
#include "engine/core/HCvarManager.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"
#include "engine/core/HLuaScriptEngine.h"
#include "engine/core/HMath.h"
#include "engine/core/HUtil.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Fields of a command entry that only addCommand can fill: light user data,
// which neither script text nor an archive can make.
const char* const kFunctionPointerField = "functionPointer";
const char* const kParmPointerField = "parmPointer";

const char* const kTokenDelimiters = " ;";

bool isIdentifierStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isIdentifierChar(char c)
{
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

// A name that the archive can write as the left side of an assignment: an
// identifier that is not one of the interpreter's reserved words.
bool isArchivableName(const char* name)
{
    static const char* const kReserved[] = {"and",  "break", "do",     "else", "elseif", "end",   "false",
                                            "for",  "function", "if",  "in",   "local",  "nil",   "not",
                                            "or",   "repeat", "return", "then", "true",  "until", "while"};
    if (!isIdentifierStart(name[0]))
        return false;
    for (const char* p = name + 1; *p; ++p) {
        if (!isIdentifierChar(*p))
            return false;
    }
    for (const char* word : kReserved) {
        if (std::strcmp(name, word) == 0)
            return false;
    }
    return true;
}


// Buffers the archive text and writes it in pieces, remembering whether every
// write took all its bytes.
class ArchiveWriter {
public:
    explicit ArchiveWriter(HFile* file) : m_pFile(file), m_szBuffer(), m_iUsed(0), m_bOk(true) {}

    void put(const char* text) { put(text, std::strlen(text)); }

    void put(const char* text, size_t length)
    {
        for (size_t i = 0; i < length; ++i)
            putChar(text[i]);
    }

    // The text as the inside of a double-quoted string literal: backslash,
    // double quote and control characters escaped (as three-digit decimal
    // escapes, so a following digit is never taken into the escape).
    void putEscaped(const char* text)
    {
        for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
            const unsigned char c = *p;
            if (c == '\\' || c == '"') {
                putChar('\\');
                putChar(static_cast<char>(c));
            } else if (c < 0x20 || c == 0x7F) {
                char escape[8];
                HUtil::s_sprintf(escape, sizeof(escape), "\\%03u", static_cast<unsigned>(c));
                put(escape);
            } else {
                putChar(static_cast<char>(c));
            }
        }
    }

    bool finish()
    {
        flush();
        return m_bOk;
    }

private:
    void putChar(char c)
    {
        if (m_iUsed == static_cast<int>(sizeof(m_szBuffer)))
            flush();
        m_szBuffer[m_iUsed++] = c;
    }

    void flush()
    {
        if (m_iUsed > 0 && m_bOk && m_pFile->write(m_szBuffer, m_iUsed) != m_iUsed)
            m_bOk = false;
        m_iUsed = 0;
    }

    HFile* m_pFile;
    char m_szBuffer[1024];
    int m_iUsed;
    bool m_bOk;
};

} // namespace

HCvarManager::HCvarManager() : m_pScriptEngine(nullptr)
{
}

HCvarManager::~HCvarManager()
{
    shutdownCvarManager();
}

bool HCvarManager::initCvarManager()
{
    if (m_pScriptEngine)
        return true;
    m_pScriptEngine = new HLuaScriptEngine;
    HScriptEngine* engine = m_pScriptEngine;
    if (!engine->initScriptEngine()) {
        HErrorManager::s_db_alert("HCvarManager::initCvarManager - could not initialize Lua");
        engine->shutdownScriptEngine();
        delete m_pScriptEngine;
        m_pScriptEngine = nullptr;
        return false;
    }
    return true;
}

void HCvarManager::shutdownCvarManager()
{
    if (!m_pScriptEngine)
        return;
    static_cast<HScriptEngine*>(m_pScriptEngine)->shutdownScriptEngine();
    delete m_pScriptEngine;
    m_pScriptEngine = nullptr;
}

bool HCvarManager::m_pushVariableTable(const char* name)
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    const int top = engine->getTop();
    engine->getGlobal(name);
    if (engine->getTop() != top + 1)
        return false; // nothing pushed: the stack cannot grow
    if (engine->isTable(-1))
        return true;
    // Missing, or a value that is no variable (only hand-written script text
    // makes one): a fresh table takes its place.
    engine->pop(1);
    engine->newTable();
    return false;
}

bool HCvarManager::m_beginVariableWrite(const char* name, uint32_t flags)
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    const int top = engine->getTop();
    const bool existed = m_pushVariableTable(name);
    if (!engine->isTable(-1) || engine->getTop() != top + 1) {
        engine->pop(engine->getTop() - top);
        return false;
    }
    if (existed && (flags & CVAR_KEEP)) {
        engine->pop(1);
        return false;
    }
    return true;
}

void HCvarManager::addVariable(const char* name, const char* value, uint32_t flags)
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    if (!engine || !name)
        return;
    char flagText[256];
    HUtil::s_sprintf(flagText, sizeof(flagText), "%d", static_cast<int32_t>(flags));
    if (!m_beginVariableWrite(name, flags))
        return;
    engine->setTableString("value", value ? value : "");
    engine->setTableString("flags", flagText);
    engine->setGlobal(name);
}

void HCvarManager::setVariableString(const char* name, const char* value)
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    if (!engine || !name)
        return;
    const int top = engine->getTop();
    engine->getGlobal(name);
    if (engine->isTable(-1) && engine->getTop() == top + 1)
        engine->setTableString("value", value ? value : "");
    else
        HErrorManager::s_db_alert("HCvarManager::setVariableString - no variable '%s' exists", name);
    engine->pop(engine->getTop() - top);
}

const char* HCvarManager::getVariableString(const char* name) const
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    if (!engine || !name)
        return nullptr;
    const int top = engine->getTop();
    engine->getGlobal(name);
    const char* text = engine->getTop() == top + 1 ? engine->readTableString("value") : nullptr;
    engine->pop(engine->getTop() - top);
    return text;
}

int HCvarManager::getVariableInt(const char* name) const
{
    const char* text = getVariableString(name);
    if (!text) {
        HErrorManager::s_db_trace("*** WARNING: no variable for '%s' found\n", name ? name : "(null)");
        return 0;
    }
    const long value = std::strtol(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(value);
}

float HCvarManager::getVariableFloat(const char* name) const
{
    const char* text = getVariableString(name);
    if (!text) {
        HErrorManager::s_db_trace("*** WARNING: no variable for '%s' found\n", name ? name : "(null)");
        return 0.0f;
    }
    return HMath::s_narrowToFloat(std::strtod(text, nullptr));
}

void HCvarManager::parseCommandLine(const char* text)
{
    if (!text)
        return;
    char token[1024];
    const char* pos = text;
    while ((pos = HUtil::s_strtok(token, sizeof(token), pos, kTokenDelimiters)) != nullptr) {
        if (HUtil::s_stricmp(token, "+set") != 0) {
            HErrorManager::s_trace("Unknown command line token '%s'", token);
            continue;
        }
        char name[1024];
        pos = HUtil::s_strtok(name, sizeof(name), pos, kTokenDelimiters);
        if (!pos)
            return;
        char value[1024];
        const char* after = HUtil::s_strtok(value, sizeof(value), pos, kTokenDelimiters);
        addVariable(name, value, 0); // no value token: the empty string
        if (!after)
            return;
        pos = after;
    }
}

void HCvarManager::addCommand(const char* name, CommandFunction fn, void* parm, uint32_t flags)
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    if (!engine || !name)
        return;
    void* function = reinterpret_cast<void*>(fn);
    char functionText[64];
    char parmText[64];
    char flagText[256];
    HUtil::s_sprintf(functionText, sizeof(functionText), "%p", function);
    HUtil::s_sprintf(parmText, sizeof(parmText), "%p", parm);
    HUtil::s_sprintf(flagText, sizeof(flagText), "%d", static_cast<int32_t>(flags));
    if (!m_beginVariableWrite(name, flags))
        return;
    engine->setTableString("value", functionText);
    engine->setTableString("flags", flagText);
    engine->setTableString("parm", parmText);
    engine->setTablePointer(kFunctionPointerField, function);
    engine->setTablePointer(kParmPointerField, parm);
    engine->setGlobal(name);
}

HCvarManager::CommandFunction HCvarManager::getCommand(const char* name, void** parm)
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    if (!engine || !name)
        return nullptr;
    const int top = engine->getTop();
    if (!engine->getGlobal(name)) {
        engine->pop(engine->getTop() - top);
        return nullptr;
    }
    void* function = nullptr;
    const char* functionText = engine->readTableString("value");
    if (functionText && std::sscanf(functionText, "%p", &function) == 1 && function &&
        function != engine->readTablePointer(kFunctionPointerField)) {
        HErrorManager::s_db_alert("HCvarManager::getCommand - '%s' holds no command of this program", name);
        function = nullptr;
    }
    const char* parmText = engine->readTableString("parm");
    if (parm && parmText) {
        void* p = nullptr;
        if (function && std::sscanf(parmText, "%p", &p) == 1 && p == engine->readTablePointer(kParmPointerField))
            *parm = p;
        else
            *parm = nullptr;
    }
    engine->pop(engine->getTop() - top);
    return reinterpret_cast<CommandFunction>(function);
}

bool HCvarManager::archiveCvars(const char* fileName, HFileSystem* fileSystem)
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    if (!engine || !fileName || !fileSystem)
        return false;
    HFile* file = fileSystem->openFileForWrite(fileName);
    if (!file) {
        HErrorManager::s_db_alert("HCvarManager::archiveCvars - could not open '%s'", fileName);
        return false;
    }
    ArchiveWriter writer(file);
    const int top = engine->getTop();
    engine->getTable(nullptr);
    engine->pushNil();
    // Global names are always strings (script text can only assign to
    // names), so reading the key as text never converts it under next().
    while (engine->next(-2) != 0) {
        const char* name = engine->toString(-2);
        if (name && isArchivableName(name) && engine->isTable(-1)) {
            const char* value = engine->readTableString("value");
            const char* flags = engine->readTableString("flags");
            if (value && flags && (std::strtol(flags, nullptr, 10) & CVAR_NOT_ARCHIVED) == 0) {
                writer.put(name);
                writer.put(" = \n{\n\tvalue = \"");
                writer.putEscaped(value);
                writer.put("\",\n\tflags = \"");
                writer.putEscaped(flags);
                writer.put("\",\n}\n");
            }
        }
        engine->pop(1);
    }
    engine->pop(engine->getTop() - top);
    const bool ok = writer.finish();
    file->close();
    if (!ok)
        HErrorManager::s_db_alert("HCvarManager::archiveCvars - could not write '%s'", fileName);
    return ok;
}

bool HCvarManager::loadCvars(const char* fileName, HFileSystem* fileSystem)
{
    HLuaScriptEngine* engine = m_pScriptEngine;
    if (!engine || !fileName || !fileSystem)
        return false;
    HErrorManager::s_trace(">>>HCvarManager::loadCvars( \"%s\" )\n...attempting open: ", fileName);
    HFile* file = fileSystem->openFileForRead(fileName);
    bool result = true;
    if (!file) {
        HErrorManager::s_trace("failed\n");
    } else {
        HErrorManager::s_trace(" ok\n");
        const int length = file->length();
        HErrorManager::s_trace("...file size = %d bytes\n", length);
        char* buffer = nullptr;
        if (length < 0 || length > kMaxArchiveBytes) {
            HErrorManager::s_trace("...too large\n");
            result = false;
        } else if ((buffer = static_cast<char*>(std::calloc(static_cast<size_t>(length) + 1, 1))) == nullptr) {
            HErrorManager::s_trace("...out of memory\n");
            result = false;
        } else {
            HErrorManager::s_trace("...reading\n");
            const int got = file->read(buffer, length);
            if (got != length) {
                HErrorManager::s_trace("...read %d of %d bytes\n", got, length);
                result = false;
            } else {
                HErrorManager::s_trace("...parsing\n");
                result = static_cast<HScriptEngine*>(engine)->doBuffer(buffer, length);
            }
            std::free(buffer);
        }
        HErrorManager::s_trace("...closing\n");
        file->close();
    }
    HErrorManager::s_trace("<<<\n");
    return result;
}
