#include "app_icon.h"

QIcon applicationIcon() { return QIcon(); }
