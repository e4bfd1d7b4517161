#include "retrieval/markup.h"
