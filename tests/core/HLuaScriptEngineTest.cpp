// The Lua script engine: a bare environment, chunks that fail without taking
// the process with them, and stack operations that leave the stack balanced.
#include "engine/core/HLuaScriptEngine.h"

#include "tests/support/DiagnosticRecorder.h"

#include <lua.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

class HLuaScriptEngineTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine.initScriptEngine()); }
    void TearDown() override { engine.shutdownScriptEngine(); }

    // Runs the text, keeping the interpreter's error report off the test output.
    bool run(const std::string& text, std::string* errors = nullptr)
    {
        testing::internal::CaptureStderr();
        const bool ok = engine.doBuffer(text.data(), static_cast<int>(text.size()));
        const std::string err = testing::internal::GetCapturedStderr();
        if (errors)
            *errors = err;
        return ok;
    }

    HLuaScriptEngine engine;
};

TEST_F(HLuaScriptEngineTest, TheEnvironmentIsBare)
{
    std::string errors;
    EXPECT_FALSE(run("print('hello')", &errors));
    EXPECT_NE(errors.find("buffer"), std::string::npos) << "the interpreter's report names the chunk";
    for (const char* library : {"string", "table", "math", "io", "os", "debug", "require", "setmetatable", "_G"}) {
        EXPECT_FALSE(engine.getGlobal(library)) << library;
        engine.pop(1);
    }

    EXPECT_TRUE(run("alpha = { value = \"1\", flags = \"0\" }"));
    ASSERT_TRUE(engine.getGlobal("alpha"));
    EXPECT_TRUE(engine.isTable(-1));
    EXPECT_STREQ(engine.readTableString("value"), "1");
    EXPECT_STREQ(engine.readTableString("flags"), "0");
    engine.pop(1);
    EXPECT_EQ(engine.getTop(), 0);
}

// Produces real bytecode with a separate interpreter's compiler.
std::string compiledChunk(const char* source)
{
    lua_State* L = luaL_newstate();
    std::string bytes;
    if (luaL_loadstring(L, source) == 0) {
        lua_dump(
            L,
            [](lua_State*, const void* p, size_t size, void* ud) {
                static_cast<std::string*>(ud)->append(static_cast<const char*>(p), size);
                return 0;
            },
            &bytes);
    }
    lua_close(L);
    return bytes;
}

TEST_F(HLuaScriptEngineTest, FailingChunksLeaveTheStackAndTheEngineUsable)
{
    const std::string bytecode = compiledChunk("x = 1");
    ASSERT_FALSE(bytecode.empty());
    ASSERT_EQ(static_cast<unsigned char>(bytecode[0]), 0x1B);

    struct Case {
        const char* what;
        std::string text;
        const char* report; // part of what goes to standard error
    } cases[] = {
        {"syntax error", "x = = 1", "[string \"buffer\"]:1:"},
        {"runtime error", "x = nil + 1", "[string \"buffer\"]:1:"},
        {"unfinished string", "x = \"abc", "[string \"buffer\"]:1:"},
        {"precompiled chunk", bytecode, "precompiled"},
        {"endless loop", "while true do end", "too long"},
        {"endless recursion", "local function f() return 1 + f() end f()", "stack overflow"},
        {"memory exhaustion", "local s = 'xxxxxxxxxxxxxxxx' while true do s = s .. s end", "memory"},
    };
    engine.pushString("below");
    for (const Case& c : cases) {
        std::string errors;
        EXPECT_FALSE(run(c.text, &errors)) << c.what;
        EXPECT_NE(errors.find(c.report), std::string::npos) << c.what << ": " << errors;
        EXPECT_EQ(engine.getTop(), 1) << c.what;
    }
    EXPECT_FALSE(engine.getGlobal("x")) << "the bytecode never ran";
    engine.pop(1);
    EXPECT_STREQ(engine.toString(-1), "below");

    EXPECT_FALSE(engine.doBuffer(nullptr, 4));
    EXPECT_FALSE(engine.doBuffer("x = 1", -1));
    EXPECT_TRUE(engine.doBuffer("", 0));
    EXPECT_TRUE(run("done = { value = 'yes' }"));
    ASSERT_TRUE(engine.getGlobal("done"));
    EXPECT_STREQ(engine.readTableString("value"), "yes");
    engine.pop(2);
    EXPECT_EQ(engine.getTop(), 0);
}

TEST_F(HLuaScriptEngineTest, GlobalsAndTheGlobalsTable)
{
    EXPECT_FALSE(engine.getGlobal("missing"));
    EXPECT_EQ(engine.getTop(), 1) << "one nil stays pushed";
    EXPECT_EQ(engine.toString(-1), nullptr);
    engine.pop(1);

    EXPECT_TRUE(engine.getTable(nullptr));
    EXPECT_TRUE(engine.isTable(-1));
    engine.pop(1);

    engine.newTable();
    engine.setTableString("value", "v");
    engine.setGlobal("var");
    EXPECT_EQ(engine.getTop(), 0);
    ASSERT_TRUE(engine.getTable(nullptr));
    ASSERT_TRUE(engine.getTable("var")) << "a table field of the globals";
    EXPECT_STREQ(engine.readTableString("value"), "v");
    EXPECT_FALSE(engine.getTable("value")) << "a string field is not a table, and is popped";
    engine.pop(2);
    EXPECT_EQ(engine.getTop(), 0);

    // A null name neither crashes nor leaves the value behind.
    engine.pushString("orphan");
    engine.setGlobal(nullptr);
    EXPECT_EQ(engine.getTop(), 0);
}

TEST_F(HLuaScriptEngineTest, ReadHelpersLeaveTheStackAsTheyFoundIt)
{
    ASSERT_TRUE(run("t = { num = 5, neg = -2.75, str = 'text', numstr = '2', yes = true, big = 1e20,"
                    " pos = { x = 3.5, ['y.z'] = 4 }, 'first', 7, {} }"));
    ASSERT_TRUE(engine.getGlobal("t"));

    DiagnosticRecorder diagnostics;
    float f = -1.0f;
    int i = -1;
    const char* s = nullptr;
    struct Read {
        const char* what;
        std::function<void()> call;
        std::function<void()> check;
    };
    const std::vector<Read> reads = {
        {"string of a number", [&] { s = engine.readTableString("num"); }, [&] { EXPECT_STREQ(s, "5"); }},
        {"string of a string", [&] { s = engine.readTableString("str"); }, [&] { EXPECT_STREQ(s, "text"); }},
        {"string missing", [&] { s = engine.readTableString("nothing"); }, [&] { EXPECT_EQ(s, nullptr); }},
        {"string of a boolean", [&] { s = engine.readTableString("yes"); }, [&] { EXPECT_EQ(s, nullptr); }},
        {"float of a number", [&] { f = engine.readTableFloat("neg", &f) ? f : 99.0f; },
         [&] { EXPECT_EQ(f, -2.75f); }},
        {"float of the string 2", [&] { EXPECT_FALSE(engine.readTableFloat("numstr", &f)); },
         [&] { EXPECT_EQ(f, 0.0f); }},
        {"float missing", [&] { f = 1.0f; EXPECT_FALSE(engine.readTableFloat("nothing", &f)); },
         [&] { EXPECT_EQ(f, 0.0f); }},
        {"int truncates toward zero", [&] { EXPECT_TRUE(engine.readTableInt("neg", &i)); },
         [&] { EXPECT_EQ(i, -2); }},
        {"int out of range", [&] { i = 11; EXPECT_FALSE(engine.readTableInt("big", &i)); },
         [&] { EXPECT_EQ(i, 11); }},
        {"int of a string", [&] { i = 12; EXPECT_FALSE(engine.readTableInt("str", &i)); },
         [&] { EXPECT_EQ(i, 12); }},
        {"sub-table field", [&] { EXPECT_TRUE(engine.readSubTableFloat("pos.x", &f)); },
         [&] { EXPECT_EQ(f, 3.5f); }},
        {"only the first dot splits", [&] { EXPECT_TRUE(engine.readSubTableFloat("pos.y.z", &f)); },
         [&] { EXPECT_EQ(f, 4.0f); }},
        {"sub-table missing field", [&] { f = 1.0f; EXPECT_FALSE(engine.readSubTableFloat("pos.w", &f)); },
         [&] { EXPECT_EQ(f, 0.0f); }},
        {"sub-table not a table", [&] { f = 1.0f; EXPECT_FALSE(engine.readSubTableFloat("str.x", &f)); },
         [&] { EXPECT_EQ(f, 0.0f); }},
        {"path without a dot", [&] { f = 6.0f; EXPECT_FALSE(engine.readSubTableFloat("pos", &f)); },
         [&] {
             EXPECT_EQ(f, 6.0f);
             EXPECT_EQ(diagnostics.count("Error reading subtable field 'pos'"), 1);
         }},
        {"array size", [&] { i = engine.getTableSize(); }, [&] { EXPECT_EQ(i, 3); }},
        {"array entry 0", [&] { s = engine.readTableStringByIndex(0); }, [&] { EXPECT_STREQ(s, "first"); }},
        {"array entry 1 (a number)", [&] { s = engine.readTableStringByIndex(1); }, [&] { EXPECT_STREQ(s, "7"); }},
        {"array entry 2 (a table)", [&] { s = engine.readTableStringByIndex(2); },
         [&] {
             EXPECT_EQ(s, nullptr);
             EXPECT_EQ(diagnostics.count("HLuaScriptEngine::readTableStringByIndex - not a string"), 1);
         }},
        {"array entry past the end", [&] { s = engine.readTableStringByIndex(3); }, [&] { EXPECT_EQ(s, nullptr); }},
        {"array entry -1", [&] { s = engine.readTableStringByIndex(-1); }, [&] { EXPECT_EQ(s, nullptr); }},
        {"field that is no table", [&] { EXPECT_FALSE(engine.getTable("num")); }, [] {}},
        {"to string of the top", [&] { EXPECT_EQ(engine.toString(-1), nullptr); }, [] {}},
        {"to string past the stack", [&] { EXPECT_EQ(engine.toString(-5), nullptr); }, [] {}},
    };
    for (const Read& r : reads) {
        const int top = engine.getTop();
        r.call();
        EXPECT_EQ(engine.getTop(), top) << r.what;
        r.check();
    }

    // The same helpers with a non-table on the top.
    engine.pushString("not a table");
    const int top = engine.getTop();
    EXPECT_EQ(engine.readTableString("num"), nullptr);
    f = 1.0f;
    EXPECT_FALSE(engine.readTableFloat("num", &f));
    EXPECT_EQ(f, 0.0f);
    EXPECT_FALSE(engine.readSubTableFloat("pos.x", &f));
    EXPECT_EQ(engine.getTableSize(), 0);
    EXPECT_EQ(engine.readTableStringByIndex(0), nullptr);
    EXPECT_FALSE(engine.getTable("pos"));
    engine.setTableString("k", "v");
    EXPECT_EQ(engine.getTop(), top);
    engine.pop(2);
    EXPECT_EQ(engine.getTop(), 0);
}

TEST_F(HLuaScriptEngineTest, TheTextOfANumberFieldOutlivesAGarbageCollection)
{
    ASSERT_TRUE(run("n = { value = 12345 }"));
    ASSERT_TRUE(engine.getGlobal("n"));
    const char* text = engine.readTableString("value");
    engine.pop(1);
    // Plenty of garbage, so the collector runs several cycles.
    ASSERT_TRUE(run("for i = 1, 20000 do local t = { i, i .. 'x' } end"));
    EXPECT_STREQ(text, "12345");
}

TEST_F(HLuaScriptEngineTest, TraversalVisitsEveryGlobal)
{
    ASSERT_TRUE(run("a = 1 b = 'two' c = {}"));
    ASSERT_TRUE(engine.getTable(nullptr));
    engine.pushNil();
    std::vector<std::string> names;
    while (engine.next(-2) != 0) {
        names.emplace_back(engine.toString(-2));
        engine.pop(1);
    }
    EXPECT_EQ(engine.getTop(), 1);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c"}));

    // A key that is not in the table ends the traversal instead of the process.
    engine.pushString("no such key");
    EXPECT_EQ(engine.next(-2), 0);
    EXPECT_EQ(engine.getTop(), 1);
    engine.pop(1);
}

int addTwo(lua_State* L)
{
    lua_pushnumber(L, lua_tonumber(L, 1) + 2);
    lua_pushstring(L, "second");
    return 2;
}

TEST_F(HLuaScriptEngineTest, FunctionsAndProtectedCalls)
{
    DiagnosticRecorder diagnostics;
    engine.registerFunction("addTwo", addTwo);
    ASSERT_TRUE(engine.getFunction("addTwo"));
    engine.pushFloat(40.0f);
    engine.call(1, 2);
    ASSERT_EQ(engine.getTop(), 2);
    EXPECT_EQ(engine.toFloat(-2), 42.0f);
    EXPECT_STREQ(engine.toString(-1), "second");
    engine.pop(2);

    // A script function may use it.
    ASSERT_TRUE(run("r = { value = addTwo(1) }"));
    ASSERT_TRUE(engine.getGlobal("r"));
    EXPECT_STREQ(engine.readTableString("value"), "3");
    engine.pop(1);

    EXPECT_FALSE(engine.getFunction("r"));
    EXPECT_EQ(diagnostics.count("HLuaScriptEngine::getFunction - 'r' is not a function"), 1);
    EXPECT_EQ(engine.getTop(), 1) << "the value stays pushed";

    // Calling it anyway is an error of the call, not of the process.
    engine.call(0, 1);
    EXPECT_EQ(engine.getTop(), 1);
    EXPECT_EQ(engine.toString(-1), nullptr) << "a nil result";
    EXPECT_EQ(diagnostics.count("HLuaScriptEngine::call"), 1);
    engine.pop(1);

    ASSERT_TRUE(run("function spin() while true do end end"));
    ASSERT_TRUE(engine.getFunction("spin"));
    engine.call(0, 0);
    EXPECT_EQ(engine.getTop(), 0);
    EXPECT_EQ(diagnostics.count("too long"), 1);

    int x = 0;
    engine.pushPointer(&x);
    EXPECT_EQ(engine.toPointer(-1), &x);
    engine.pop(5);
    EXPECT_EQ(engine.getTop(), 0) << "pop removes at most what is there";
}

TEST_F(HLuaScriptEngineTest, ASecondInitStartsAFreshState)
{
    ASSERT_TRUE(run("kept = { value = '1' }"));
    engine.pushString("left on the stack");
    ASSERT_TRUE(engine.initScriptEngine());
    EXPECT_EQ(engine.getTop(), 0);
    EXPECT_FALSE(engine.getGlobal("kept"));
    engine.pop(1);
}

TEST(HLuaScriptEngine, WithoutAStateEveryOperationFailsQuietly)
{
    HLuaScriptEngine engine;
    float f = 3.0f;
    int i = 4;
    EXPECT_FALSE(engine.doBuffer("x = 1", 5));
    EXPECT_EQ(engine.getTop(), 0);
    engine.pop(1);
    engine.pushNil();
    engine.pushString("s");
    engine.pushFloat(1.0f);
    engine.pushPointer(&f);
    EXPECT_FALSE(engine.newTable());
    engine.setTableString("k", "v");
    engine.setGlobal("g");
    EXPECT_FALSE(engine.getGlobal("g"));
    engine.registerFunction("f", addTwo);
    engine.call(0, 0);
    EXPECT_EQ(engine.next(-1), 0);
    EXPECT_EQ(engine.toString(-1), nullptr);
    EXPECT_EQ(engine.toFloat(-1), 0.0f);
    EXPECT_EQ(engine.toPointer(-1), nullptr);
    EXPECT_FALSE(engine.isTable(-1));
    EXPECT_FALSE(engine.getTable(nullptr));
    EXPECT_EQ(engine.readTableString("k"), nullptr);
    EXPECT_FALSE(engine.readTableFloat("k", &f));
    EXPECT_FALSE(engine.readTableInt("k", &i));
    EXPECT_EQ(i, 4);
    EXPECT_FALSE(engine.readSubTableFloat("a.b", &f));
    EXPECT_EQ(engine.getTableSize(), 0);
    EXPECT_EQ(engine.readTableStringByIndex(0), nullptr);
    engine.shutdownScriptEngine();
    {
        DiagnosticRecorder diagnostics;
        EXPECT_FALSE(engine.getFunction("f"));
    }
    EXPECT_EQ(engine.getTop(), 0);
}

} // namespace
