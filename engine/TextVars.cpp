#include "engine/TextVars.h"

void TextVars::SetNumber(const std::string& name, int value)
{
    mValues[name] = std::to_wstring(value);
}
