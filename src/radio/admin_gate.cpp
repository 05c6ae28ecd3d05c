#include "radio/admin_gate.h"

namespace tandrel {

void refreshMenuAccess(uint64 connection) {
    (void)connection;
}

}  // namespace tandrel
