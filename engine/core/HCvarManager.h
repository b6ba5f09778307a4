// Console variables: named text settings with flag bits, given defaults in
// code, overridden by "+set" tokens from the command line and read by name.
//
// Every variable is a global table of the script engine with two text fields,
// `value` and `flags` (the flag bits as decimal text). Names compare
// case-sensitively. The manager can write all variables to an archive in the
// interpreter's own syntax and run such an archive to load them back.
//
// Until initCvarManager has succeeded (the framework goes on after a failed
// one) every read answers as for a missing variable and every write changes
// nothing. Every operation leaves the interpreter's stack as it found it.
#pragma once

#include <cstdint>

class HFileSystem;
class HLuaScriptEngine;

class HCvarManager {
public:
    // Adding a variable or command whose name exists leaves it untouched.
    static constexpr uint32_t CVAR_KEEP = 1;
    // archiveCvars skips the variable.
    static constexpr uint32_t CVAR_NOT_ARCHIVED = 2;
    // loadCvars refuses an archive larger than this.
    static constexpr int kMaxArchiveBytes = 4 * 1024 * 1024;

    using CommandFunction = bool (*)(const char* arguments, void* parm);

    HCvarManager();
    // Shuts the engine down if the owner did not.
    ~HCvarManager();

    HCvarManager(const HCvarManager&) = delete;
    HCvarManager& operator=(const HCvarManager&) = delete;

    // True when already initialised. A failure leaves the manager without an
    // engine (developer alert).
    bool initCvarManager();
    void shutdownCvarManager();

    // Sets value and flags; with CVAR_KEEP an existing variable stays as it
    // is. A global of that name that is not a table is replaced.
    void addVariable(const char* name, const char* value, uint32_t flags);
    // Only an existing variable changes (its flags stay); otherwise a
    // developer alert.
    void setVariableString(const char* name, const char* value);
    // The interpreter's text, valid until the variable is next set; null when
    // there is no such variable or it has no value.
    const char* getVariableString(const char* name) const;
    // strtol base 10 (leading blanks skipped, "12abc" is 12, "0x10" is 0),
    // held to the int range; 0 with a developer trace when missing.
    int getVariableInt(const char* name) const;
    // strtod, narrowed to float; 0 with a developer trace when missing.
    float getVariableFloat(const char* name) const;

    // Applies "+set name value" tokens, separated by blanks and semicolons;
    // other tokens are traced and skipped.
    void parseCommandLine(const char* text);

    // A command entry: `value` and `parm` hold the pointers as "%p" text.
    void addCommand(const char* name, CommandFunction fn, void* parm, uint32_t flags);
    // Null, *parm untouched, when there is no global of that name. Otherwise
    // the function, or null when the entry's pointer text does not name the
    // function that addCommand stored under that name in this process (an
    // archive or a script cannot hand out a pointer of its choosing); *parm
    // likewise when the entry has a `parm` field.
    CommandFunction getCommand(const char* name, void** parm);

    // Writes every archived variable as "name = \n{\n\tvalue = ..." text,
    // values escaped so that loading the archive restores them exactly.
    // Globals whose names are not identifiers are skipped. False when the
    // file cannot be opened or a write fails.
    bool archiveCvars(const char* fileName, HFileSystem* fileSystem);
    // Runs the archive, tracing every step. True when the file does not open
    // (nothing changes); otherwise whether the archive was read whole and ran.
    bool loadCvars(const char* fileName, HFileSystem* fileSystem);

private:
    // Pushes the variable table of `name`: the existing one (true), or a
    // fresh table in place of a missing or non-table global (false).
    bool m_pushVariableTable(const char* name);
    // Pushes the variable's table for a write; false (stack as it was) when
    // no table can be had, or when the variable exists and flags hold
    // CVAR_KEEP.
    bool m_beginVariableWrite(const char* name, uint32_t flags);

    HLuaScriptEngine* m_pScriptEngine;
};
