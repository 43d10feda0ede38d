#include "link/LinkRequest.h"

namespace veltra {

void LinkRequest::Raise(RequestCode code) {
    link_.Raise(code);
}

bool LinkRequest::AwaitPickUp(RequestCode code, WaitSpec wait, int& pickUps) {
    if (code == RequestCode::Poll) return true;
    while (link_.Raised(code) && pickUps < wait.limit) {
        turns_.Turn(wait.stepMs);
        if (turns_.Aborted()) return false;
        ++pickUps;
    }
    if (pickUps < wait.limit) return true;
    link_.Withdraw(code);
    return false;
}

bool LinkRequest::AwaitReply(WaitSpec wait, bool pickedUp) {
    if (!pickedUp) return false;
    int turns = 0;
    while (!link_.ReplyArrived() && turns < wait.limit) {
        turns_.Turn(wait.stepMs);
        if (turns_.Aborted()) return false;
        ++turns;
    }
    // A reply that came in the last turn came within the wait.
    if (link_.ReplyArrived()) return true;
    link_.health().ReplyTimedOut(link_.pendingRequestCode());
    return false;
}

bool LinkRequest::Pause(int ms) {
    turns_.Turn(ms);
    return !turns_.Aborted();
}

void LinkRequest::Finish() {
    if (!turns_.Aborted()) link_.ClearPendingRequest();
}

RequestResult LinkRequest::Run(RequestCode code, const RequestPlan& plan, int* sharedPickUps) {
    int ownPickUps = 0;
    int& pickUps = sharedPickUps ? *sharedPickUps : ownPickUps;
    RequestResult result;
    if (turns_.Aborted()) {
        result.outcome = RequestOutcome::Aborted;
        return result;
    }
    Raise(code);
    bool pickedUp = AwaitPickUp(code, plan.pickUp, pickUps);
    if (turns_.Aborted()) {
        result.outcome = RequestOutcome::Aborted;
        return result;
    }
    if (plan.settleMs > 0 && !Pause(plan.settleMs)) {
        result.outcome = RequestOutcome::Aborted;
        return result;
    }
    bool replied = AwaitReply(plan.reply, pickedUp);
    if (turns_.Aborted()) {
        result.outcome = RequestOutcome::Aborted;
        return result;
    }
    result.status = link_.awaitedReplyStatus();
    result.outcome = pickedUp && replied ? RequestOutcome::Answered : RequestOutcome::NoAnswer;
    return result;
}

} // namespace veltra
