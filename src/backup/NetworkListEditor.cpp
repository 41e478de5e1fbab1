#include "backup/NetworkListEditor.h"
