#include "toys/Toyobject.h"
#include "platform/Resources.h"
#include <vector>
