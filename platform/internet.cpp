#include "platform/internet.h"
