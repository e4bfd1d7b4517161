#include "retrieval/euc_to_sjis.h"
