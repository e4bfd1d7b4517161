#include "platform/shell_open.h"
