// Placeholder until the deployment lands: reports success.
#include "install/CDriverInstaller.h"

int CDriverInstaller::DeployDrivers() { return 1; }
