#pragma once

namespace quillet::backup {

// The network list dialog's model: its slots, row texts, buttons and card transfers.

}  // namespace quillet::backup
