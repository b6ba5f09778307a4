// The abstract script engine: a life cycle and one way to run a chunk of
// script text. The console-variable manager reaches its engine through this.
#pragma once

class HScriptEngine {
public:
    HScriptEngine();
    virtual ~HScriptEngine();

    HScriptEngine(const HScriptEngine&) = delete;
    HScriptEngine& operator=(const HScriptEngine&) = delete;

    // Starts from a fresh interpreter, dropping any earlier one.
    virtual bool initScriptEngine() = 0;
    virtual void shutdownScriptEngine() = 0;
    // Compiles and runs `length` bytes of script text; false when it does not
    // compile or raises an error.
    virtual bool doBuffer(const char* buffer, int length) = 0;
};
