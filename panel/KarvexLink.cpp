// The production dispatcher client (TKarvexAutomation) behind IDispatcherLink.
#include "DispatcherLink.h"

#include "Karvex_TLB.h"
#include "Seams.h"

namespace {

class TKarvexLink final : public IDispatcherLink {
public:
    void Start() override
    {
        try {
            client_.Start();
        } catch (const KarvexError &e) {
            throw EPanelError(e.Message(), e.Hr());
        }
    }
    void BindEvents(std::function<void()> onEndComputing, std::function<void()> onCloseServer,
                    std::function<void()> onReceiveOnlineData) override
    {
        client_.OnEndComputing = std::move(onEndComputing);
        client_.OnCloseServer = std::move(onCloseServer);
        client_.OnReceiveOnlineData = std::move(onReceiveOnlineData);
    }
    TKarvexAutomation *Automation() override { return &client_; }
    bool Up() override { return client_.Connected() && !client_.Lost(); }

private:
    TKarvexAutomation client_;  // disconnects when the link is freed
};

}  // namespace

std::unique_ptr<IDispatcherLink> CreateKarvexLink()
{
    return std::make_unique<TKarvexLink>();
}
