// The Encryption tab: WEP off, 64-bit or 128-bit; four keys; the default transmit key.
// Template IDD_ENCRYPTION, help topic IDH_ENCRYPTION. The page's controls and behaviour live in this header and
// pages/encryption_page.cpp; its handler table lists its events in the order of its event table.
#pragma once
#include <span>

#include "framework/page.h"
#include "res/resource.h"

class CEncryptionPage : public fw::Page<CEncryptionPage> {
 public:
  CEncryptionPage() : Page(IDD_ENCRYPTION, "Encryption") { helpTopic = IDH_ENCRYPTION; }
  static std::span<const fw::Handler<CEncryptionPage>> Handlers() { return {}; }
};
