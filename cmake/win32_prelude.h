// Forced in front of every C++ file of the Windows build. The library's templates are
// instantiated in our own objects, built for the 486, instead of being taken precompiled
// (for the Pentium Pro) from libstdc++.a.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
