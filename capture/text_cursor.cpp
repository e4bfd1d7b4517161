#include "capture/text_cursor.h"
