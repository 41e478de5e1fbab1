#include "card/FinishCardCommand.h"

namespace quillet::card {

bool FinishCardCommand(CardSession& session, bool succeeded, bool forceProgressEnd) {
    const reader::ReaderResult failure = session.LastResult();
    if (succeeded) session.SetLastResult(reader::result::kOk);
    session.EndSession();
    session.EndProgress(forceProgressEnd);
    if (succeeded) return session.LastResult() == reader::result::kOk;
    // Ending the session may set a result of its own; the user is told what failed first.
    session.SetLastResult(failure);
    return false;
}

}  // namespace quillet::card
