#pragma once

namespace quillet::card {

// Raises the process's scheduling priority while a card session runs, so the byte timing of
// the reader is not disturbed, and lowers it again afterwards.
class ProcessPriority {
public:
    virtual ~ProcessPriority() = default;
    virtual void Raise() = 0;
    virtual void Lower() = 0;
};

// setpriority(); a raise the system refuses (an ordinary user may not raise) is ignored.
class PosixProcessPriority final : public ProcessPriority {
public:
    void Raise() override;
    void Lower() override;
};

}  // namespace quillet::card
