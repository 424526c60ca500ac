#include "platform/platform.h"

// A failed console write just fails on Windows: nothing to prepare.
void prepare_console() {}
