#include "app/PageSlots.h"

#include <array>

namespace {
std::array<PageFactory, kPageSlotCount>& Factories() {
    static std::array<PageFactory, kPageSlotCount> factories;
    return factories;
}
}  // namespace

void SetPageFactory(int slot, PageFactory factory) {
    if (slot >= 0 && slot < kPageSlotCount) {
        Factories()[static_cast<size_t>(slot)] = std::move(factory);
    }
}

const PageFactory& GetPageFactory(int slot) {
    static const PageFactory none;
    if (slot < 0 || slot >= kPageSlotCount) {
        return none;
    }
    return Factories()[static_cast<size_t>(slot)];
}
