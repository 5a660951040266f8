// The Edit menu's six link items, as the DDE links carry them out, for the command host.
#pragma once

#include "runtime/DdeLinks.h"
#include "runtime/SessionCommandHost.h"

namespace quorvane {

class DdeLinksMenu : public LinkMenuHandler {
  public:
    explicit DdeLinksMenu(DdeLinks& links) : links_(links) {}
    void RecomputeEditMenu() override { links_.RecomputeEditMenu(); }
    bool IsLinkItemEnabled(LinkMenuItem item) const override { return links_.IsItemEnabled(item); }
    void PerformLinkItem(LinkMenuItem item) override { links_.Perform(item); }

  private:
    DdeLinks& links_;
};

}  // namespace quorvane
