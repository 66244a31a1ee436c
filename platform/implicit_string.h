// Forced into every file of the shipped build (-include): std::string's
// members are then made in the program's own code, as each is used, instead
// of coming from libstdc++'s explicit instantiation. That object is linked
// whole at the first use of any member (its unwind table refers to every
// function in it, and the linker keeps every unwind table), some 30 KB of
// members the program never calls; made here, the link-time optimiser and
// --gc-sections keep only the members in use. The members are the same
// header code either way.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
