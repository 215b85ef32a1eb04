// Placeholder until the file search lands.
#include "remove/CDriverRemover.h"

void CDriverRemover::PurgeOemInfFiles() {}
