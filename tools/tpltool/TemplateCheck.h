#pragma once

#include "labeldata/Tdatatree.h"

#include <string>
#include <vector>

// What a user must know about a loaded set: one line of text per finding, empty when all is well.
std::vector<std::string> checkTemplate(const Tdatatree& set);
