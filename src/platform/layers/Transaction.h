#pragma once

namespace platform {

// Groups layer changes: while one is open, its duration is that of the default fades and
// `disableActions` makes every change show at once. Transactions nest; without one, changes
// take the defaults (0.25 s, actions on). Main thread only.
class Transaction {
public:
    static constexpr double defaultAnimationDuration = 0.25;

    static void begin();
    // An unbalanced commit is ignored.
    static void commit();
    static double animationDuration();
    static void setAnimationDuration(double seconds);
    static bool disableActions();
    static void setDisableActions(bool flag);
};

// Opens a transaction for its lifetime.
class TransactionScope {
public:
    TransactionScope() { Transaction::begin(); }
    ~TransactionScope() { Transaction::commit(); }
    TransactionScope(const TransactionScope&) = delete;
    TransactionScope& operator=(const TransactionScope&) = delete;
};

} // namespace platform
