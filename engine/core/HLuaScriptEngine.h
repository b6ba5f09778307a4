// The script engine over one bare Lua 5.1 interpreter (no standard library is
// opened), with small operations on the interpreter's value stack.
//
// Indices follow the interpreter's convention: negative counts from the top,
// -1 being the top. Unless an operation says otherwise it leaves the stack as
// it found it. Strings it returns belong to the interpreter and stay valid
// while the interpreter still holds the value (for a table field, until the
// field is next assigned); texts made from number fields are kept for the
// life of the state.
//
// No operation ends the process: every table access checks that it has a
// table, every index is checked against the stack, calls into script code
// are protected, and an operation on an engine without a state does nothing
// and returns its failure value. Chunks run with a cap on their instructions
// and on the memory they may take, so a hostile archive cannot hang the
// program or exhaust its memory.
#pragma once

#include <cstddef>

#include "engine/core/HScriptEngine.h"

struct lua_State;

class HLuaScriptEngine : public HScriptEngine {
public:
    // A chunk or call is stopped after this many virtual-machine instructions.
    static constexpr int kInstructionLimit = 1000000;
    // ... or when it would grow the interpreter's memory by more than this.
    static constexpr size_t kMemoryAllowance = 16u * 1024u * 1024u;

    HLuaScriptEngine();
    // Closes a state that the owner did not shut down.
    ~HLuaScriptEngine() override;

    bool initScriptEngine() override;
    void shutdownScriptEngine() override;
    // Precompiled chunks are refused: the interpreter does not check bytecode.
    // On failure the interpreter's message goes to standard error.
    bool doBuffer(const char* buffer, int length) override;

    int getTop() const;
    // Removes at most the values there are.
    void pop(int n);
    void pushNil();
    void pushString(const char* s);
    void pushFloat(float f);
    void pushPointer(void* p);
    // Pushes a new empty table; false when the stack cannot grow.
    bool newTable();
    // With a table on the top: stores key = value in it.
    void setTableString(const char* key, const char* value);
    // With a table on the top: stores key = p as a light user datum, a value
    // that script text cannot make.
    void setTablePointer(const char* key, void* p);
    // Field `key` of the table on the top when it is a light user datum, else null.
    void* readTablePointer(const char* key);
    // Pops the top value into global `name`.
    void setGlobal(const char* name);
    // Pushes global `name` (nil when missing); true when not nil.
    bool getGlobal(const char* name);
    // Pushes global `name`; true when it is a function, else a developer alert.
    bool getFunction(const char* name);
    void registerFunction(const char* name, int (*fn)(lua_State*));
    // Calls the function below nargs arguments, leaving nresults values; on
    // an error the results are nils and a developer alert names the error.
    void call(int nargs, int nresults);
    // Table traversal on the table at `index` with the key on the top: pops
    // the key and pushes the next key and value (1), or nothing at the end
    // (0). A key that is not in the table ends the traversal.
    int next(int index);
    const char* toString(int index);
    float toFloat(int index) const;
    void* toPointer(int index) const;
    bool isTable(int index) const;
    // Null name: pushes the globals table, true. Otherwise pushes field
    // `name` of the table on the top and keeps it when it is a table (true);
    // anything else is popped again (false).
    bool getTable(const char* name);
    // Field `name` of the table on the top as text (numbers converted);
    // null when missing, of another type, or when the top is no table.
    const char* readTableString(const char* name);
    // Only number fields count; on failure *out is 0.
    bool readTableFloat(const char* name, float* out);
    // The number truncated toward zero; on failure (also out of int range)
    // *out is untouched.
    bool readTableInt(const char* name, int* out);
    // "sub.field": field `field` of the table in field `sub` of the table on
    // the top. Only the first '.' splits.
    bool readSubTableFloat(const char* path, float* out);
    // Array entries (1 to n) of the table on the top; 0 for a non-table.
    int getTableSize();
    // Array entry i + 1 (0-based i) of the table on the top as text; null
    // outside 0..size - 1, and with a developer alert for a non-text entry.
    const char* readTableStringByIndex(int i);

private:
    static void* s_allocate(void* ud, void* ptr, size_t oldSize, size_t newSize);
    bool m_isValidIndex(int index) const;
    int m_absIndex(int index) const;
    bool m_isTopTable() const;
    const char* m_textOf(int index);
    // Protected call of the function below nargs arguments under the caps.
    int m_protectedCall(int nargs, int nresults);

    lua_State* m_pLuaState;
    size_t m_uBytesInUse;    // all the interpreter's memory, counted by s_allocate
    size_t m_uMemoryCeiling; // while a chunk or call runs; 0 otherwise
};
