// Common ground of the framework: the Win32 headers, the position handle of the
// collections and the debugging macros. Every framework header includes this first.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cassert>
#include <cstddef>

// Opaque iterator of the list and map classes.
struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)

#ifndef ASSERT
#ifdef NDEBUG
#define ASSERT(f) ((void)0)
#else
#define ASSERT(f) assert(f)
#endif
#endif
#ifndef VERIFY
#ifdef NDEBUG
#define VERIFY(f) ((void)(f))
#else
#define VERIFY(f) assert(f)
#endif
#endif
#ifndef TRACE
#define TRACE(...) ((void)0)
#endif
#define AFXAPI
#define AFX_INLINE inline
