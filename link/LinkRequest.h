#pragma once
// One request to the board as the upload and the console make it, on the GUI
// thread: raise the flag, wait for the link to pick it up, wait for the reply
// with the same code, let the caller judge the status, then clear
// pendingRequestCode so polling resumes. Every wait is made of turns (a sleep,
// then one pass of the event pump), in which the worker's steps run.

#include <cstdint>

#include "link/LinkProtocol.h"
#include "link/WaitTurns.h"
#include "wire/FrameCodec.h"

namespace veltra {

// How one wait is paced: turns of `stepMs`, at most `limit` of them.
struct WaitSpec {
    int stepMs = 0;
    int limit = 0;
};

enum class RequestOutcome {
    Answered, // the reply with the awaited code came; judge `status`
    NoAnswer, // a wait ran to its limit
    Aborted,  // the wait was ended early; the link state must not be touched
};

struct RequestResult {
    RequestOutcome outcome = RequestOutcome::NoAnswer;
    std::uint8_t status = 0; // the reply's status when answered
};

struct RequestPlan {
    WaitSpec pickUp;
    WaitSpec reply;
    int settleMs = 0; // one extra turn between pick-up and reply wait, when nonzero
};

class LinkRequest {
  public:
    LinkRequest(LinkProtocol& link, WaitTurns& turns) : link_(link), turns_(turns) {}

    // The whole request up to its judgement. `sharedPickUps` lets two
    // requests share one pick-up allowance; without it the count starts at 0.
    // pendingRequestCode is left for Finish, so the caller decides when polling resumes.
    RequestResult Run(RequestCode code, const RequestPlan& plan, int* sharedPickUps = nullptr);

    // The single steps, for callers that need to put something between them.
    void Raise(RequestCode code);
    // Waits while the flag is set and `pickUps` is below the limit, one turn
    // per count. False when the count reached the limit or the wait was
    // aborted; a flag still set then is withdrawn so it is never sent later.
    bool AwaitPickUp(RequestCode code, WaitSpec wait, int& pickUps);
    // Waits until the reply to the request in progress has come (a frame
    // with pendingRequestCode arrived after the request went out, whatever
    // came before or after it). False when the wait made `limit` turns
    // without it or was aborted, and at once when the request was never
    // picked up: nothing was sent, so nothing can answer.
    bool AwaitReply(WaitSpec wait, bool pickedUp = true);
    // One turn of `ms`; false when aborted.
    bool Pause(int ms);
    // pendingRequestCode = 0, unless the wait was aborted.
    void Finish();

    bool Aborted() const { return turns_.Aborted(); }

  private:
    LinkProtocol& link_;
    WaitTurns& turns_;
};

} // namespace veltra
