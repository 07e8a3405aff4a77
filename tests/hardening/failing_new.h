// The test executable's own global operator new and delete, so that a test
// can make the n-th nothrow allocation fail (the plug-in creates everything
// with new (std::nothrow)) and count what is still alive afterwards. They
// serve the whole executable; the failure is armed only around the calls
// under test.
#pragma once

#include <stdint.h>

// The nothrow allocation with this ordinal, counted from 0 at this call,
// fails; -1 disarms. Nothrow allocations are counted either way.
void FailNothrowAllocation(int64_t ordinal);
// Nothrow allocations attempted since the last FailNothrowAllocation call.
int64_t NothrowAllocationAttempts();
// Blocks from any form of operator new not yet deleted.
int64_t LiveNewAllocations();

// Arms the failure for one scope, and disarms it however the scope ends.
class FailingNothrowNew {
  public:
    explicit FailingNothrowNew(int64_t ordinal) : ordinal_(ordinal) { FailNothrowAllocation(ordinal); }
    ~FailingNothrowNew() { FailNothrowAllocation(-1); }
    FailingNothrowNew(const FailingNothrowNew&) = delete;
    FailingNothrowNew& operator=(const FailingNothrowNew&) = delete;
    // Whether the armed ordinal was reached.
    bool Failed() const;

  private:
    int64_t ordinal_;
};
