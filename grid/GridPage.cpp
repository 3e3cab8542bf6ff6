// Paged open of a huge text file: dialog 149 and its row-counting thread.
#include "grid/Grid.h"

void CGrid::openPage() {}
