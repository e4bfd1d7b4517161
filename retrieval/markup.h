// Upper-cases every ASCII letter between a '<' and the next '>', in place.
#pragma once

#include <string>

void NormalizeTags(std::string& text);
