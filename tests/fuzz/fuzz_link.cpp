// Links handed to the program by other programs ("tel:", "sip:", "callto:", "kelvosip:call?to=").
// A link is either refused with a reason or names somebody to reach.

#include "FuzzSupport.h"
#include "app/core/URLEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const URLEntryResult result = commandForURL(fuzz::text(data, size));
    if (!result.command) {
        FUZZ_CHECK(!result.refusal.empty());
        return 0;
    }
    FUZZ_CHECK(!result.command->target.empty());
    FUZZ_CHECK(!describeURLCommandKind(result.command->kind).empty());
    return 0;
}
