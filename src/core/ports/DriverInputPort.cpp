#include "ports/DriverInputPort.h"
