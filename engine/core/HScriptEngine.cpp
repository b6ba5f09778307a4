// The abstract script engine.
#include "engine/core/HScriptEngine.h"

HScriptEngine::HScriptEngine() = default;

HScriptEngine::~HScriptEngine() = default;
