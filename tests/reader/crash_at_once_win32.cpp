// A fault in a test program ends it at once, as the death tests expect, and
// as it ends the program itself, rather than waiting on a debugger that
// Wine would start for it.
#include <windows.h>

namespace {

LONG WINAPI EndAtOnce(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }

const LPTOP_LEVEL_EXCEPTION_FILTER kPrevious = SetUnhandledExceptionFilter(EndAtOnce);

}  // namespace
