#include "retrieval/page_fetcher.h"
