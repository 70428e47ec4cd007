// The Encryption tab of the real tw7720util.exe with the virtual card, played as a user from
// outside the process: the level and transmit key chosen, the entry method clicked, keys and
// passphrase written into the fields, "Apply Changes" pressed. What reached the card is read
// back from its call log and compared with keys computed here, independently of the
// product's own key functions (the 64-bit generator written out again, MD5 from the system's
// cryptography provider).
#include <gtest/gtest.h>
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "res/resource.h"
#include "support/call_log.h"
#include "support/desktop_probe.h"
#include "support/resident_utility.h"

namespace {

using namespace winetest;


// The card's 64-bit WEP network, the only one in reach: without its key there is no link.
constexpr char kVaultKey[] = "0A0B0C0D0E";
constexpr char kVaultWorld[] =
    "[card]\n"
    "association_delay_ms=200\n"
    "[network]\n"
    "ssid=Vault64\n"
    "bssid=00-0C-41-00-00-64\n"
    "channel=11\n"
    "signal=-40\n"
    "wep=64\n"
    "key=0A0B0C0D0E\n";

// ---------------------------------------------------------------- independent key arithmetic

std::string Hex(const unsigned char* bytes, size_t n) {
  std::string out;
  char pair[3];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    out += pair;
  }
  return out;
}

// The four 64-bit keys of a passphrase: bytes folded by XOR into a little-endian 32-bit seed,
// then twenty steps of x = x * 214013 + 2531011, each giving (x >> 16) & 0xFF.
std::vector<std::string> Keys64(const std::string& passphrase) {
  unsigned char seed[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < passphrase.size(); ++i) seed[i % 4] ^= static_cast<unsigned char>(passphrase[i]);
  uint32_t x = seed[0] | seed[1] << 8 | seed[2] << 16 | static_cast<uint32_t>(seed[3]) << 24;
  std::vector<std::string> keys;
  for (int k = 0; k < 4; ++k) {
    unsigned char bytes[5];
    for (unsigned char& b : bytes) {
      x = x * 214013u + 2531011u;
      b = static_cast<unsigned char>(x >> 16);
    }
    keys.push_back(Hex(bytes, 5));
  }
  return keys;
}

// The 128-bit key: the first 13 bytes of the MD5 digest of 64 bytes of the passphrase
// repeated, digested by the system's provider.
std::string Key128(const std::string& passphrase) {
  std::string block;
  for (size_t i = 0; i < 64; ++i) block += passphrase[i % passphrase.size()];
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  unsigned char digest[16] = {};
  DWORD size = sizeof digest;
  bool ok = CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
            CryptCreateHash(provider, CALG_MD5, 0, 0, &hash) &&
            CryptHashData(hash, reinterpret_cast<const BYTE*>(block.data()), 64, 0) &&
            CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
  if (hash) CryptDestroyHash(hash);
  if (provider) CryptReleaseContext(provider, 0);
  return ok ? Hex(digest, 13) : "<no MD5 provider>";
}

// Writes the screen area of a window as a 24-bit BMP file (for the README's picture).
bool CaptureWindow(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(height));
  const int lines = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (lines != height) return false;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

// ---------------------------------------------------------------- the utility

// One key slot of a set as the card's log shows it.
struct LoggedKey {
  std::string slot, keyIndex, keyLength, keyMaterial;
};

std::vector<LoggedKey> Keys(const Call& set) {
  std::vector<LoggedKey> keys;
  auto found = set.fields.find("wepKey");
  if (found == set.fields.end() || !found->is_array()) return keys;
  for (const calllog::Json& element : *found) {
    Call k;
    k.fields = element;
    keys.push_back({k.Text("slot"), k.Text("keyIndex"), k.Text("keyLength"), k.Text("keyMaterial")});
  }
  return keys;
}

class EncryptionTab : public ResidentUtility {
 protected:
  void TearDown() override {
    CloseMessageBoxes();
    ResidentUtility::TearDown();
  }

  // Starts the utility with the world, waits for the first push, opens the window on the
  // Encryption tab.
  void OpenEncryptionTab(const char* world) {
    ASSERT_NO_FATAL_FAILURE(StartWithIcon(world));
    ASSERT_TRUE(WaitForCallCount("NIVO_SetWLANConfig", 1));
    sheet_ = OpenSheet();
    ASSERT_NE(sheet_, nullptr);
    SendMessageA(sheet_, PSM_SETCURSEL, kEncryptionTab, 0);
    ASSERT_TRUE(WaitUntil([&] {
      page_ = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
      return page_ != nullptr && GetDlgItem(page_, IDC_WEP_LEVEL) != nullptr;
    })) << "the Encryption tab did not come up";
  }

  HWND Control(int id) const { return GetDlgItem(page_, id); }

  // --- what a user does
  void Choose(int id, int index) const {
    SendMessageA(Control(id), CB_SETCURSEL, index, 0);
    SendMessageA(page_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Control(id)));
  }
  void Click(int id) const { SendMessageA(Control(id), BM_CLICK, 0, 0); }
  // A press that may open a message box: the call returns at once.
  void PostClick(int id) const { PostMessageA(Control(id), BM_CLICK, 0, 0); }
  // Keys pressed one by one: each character goes through the field's keystroke filter.
  void Type(int id, const std::string& text) const {
    for (char c : text) PostMessageA(Control(id), WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  void Write(int id, const std::string& text) const {
    SendMessageA(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  std::string Read(int id) const { return ForeignText(Control(id)); }

  // Presses "Apply Changes" and waits for the re-association that ends an apply.
  void ApplyAndWait() {
    const size_t ssidSets = CallCount("NIVO_SetSSID");
    applyFrom_ = Calls().size();
    PostClick(IDC_ENC_APPLY_CHANGES);
    ASSERT_TRUE(WaitUntil([&] { return CallCount("NIVO_SetSSID") >= ssidSets + 2; })) << "no re-association";
  }

  // The message boxes of the utility (the window's own dialogs of the same title aside).
  std::vector<HWND> MessageBoxes() const {
    std::vector<HWND> boxes;
    for (HWND w : ProcessWindows(pid(), "#32770", kUtilityTitle, true))
      if (w != sheet_ && GetDlgItem(w, kMessageTextId) != nullptr) boxes.push_back(w);
    return boxes;
  }
  void CloseMessageBoxes() const {
    if (!utility_ || utility_->exited()) return;
    for (HWND box : MessageBoxes()) PostMessageA(box, WM_COMMAND, IDOK, 0);
  }

  // --- the card's log
  // The calls of the window thread since the last apply began, in order.
  std::vector<Call> ApplyCalls() const {
    std::vector<Call> calls = Calls();
    std::vector<Call> mine;
    std::string windowThread;
    for (size_t i = applyFrom_; i < calls.size(); ++i) {
      if (calls[i].op == "NIVO_SetProfileWireless" && windowThread.empty()) windowThread = calls[i].Text("thread");
      if (!windowThread.empty() && calls[i].Text("thread") == windowThread) mine.push_back(calls[i]);
    }
    return mine;
  }
  // Successful media connect status readings since `from` that read `status`.
  size_t ConnectReadings(int status, size_t from) const {
    const std::vector<Call> calls = Calls();
    size_t n = 0;
    for (size_t i = from; i < calls.size(); ++i)
      n += calls[i].op == "NIVO_QueryOID" && calls[i].Text("oid") == "0x10114" && calls[i].Text("result") == "0" &&
           calls[i].Text("value") == std::to_string(status);
    return n;
  }

  // No trace line carries any of the texts.
  void ExpectNotTraced(const std::vector<std::string>& secrets) const {
    for (const std::string& line : utility_->lines())
      for (const std::string& secret : secrets)
        EXPECT_EQ(line.find(secret), std::string::npos) << "key material in the trace: " << line;
  }

  // Checks the apply's calls: the profile store, one set with `selector`, then the two SSID
  // sets of the re-association; returns the set.
  Call CheckApplyCalls(const char* selector) const {
    const std::vector<Call> calls = ApplyCalls();
    std::vector<std::string> ops;
    for (const Call& c : calls) ops.push_back(c.op);
    EXPECT_EQ(ops, (std::vector<std::string>{"NIVO_SetProfileWireless", "NIVO_SetWLANConfig", "NIVO_SetSSID",
                                             "NIVO_SetSSID"}));
    if (calls.size() != 4) return Call{};
    EXPECT_EQ(calls[0].Text("name"), "null") << "the active profile, by no name";
    EXPECT_EQ(calls[1].Text("dwWLFlag_in"), selector);
    EXPECT_EQ(calls[1].Text("dwWLFlag_out"), "0x0");
    EXPECT_EQ(calls[1].Text("authMode"), "2");
    EXPECT_EQ(calls[1].Text("GMode"), "1") << "the set keeps the card in 802.11g";
    EXPECT_EQ(calls[2].Text("ssid"), "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(calls[2].Text("ssidLength"), "26");
    EXPECT_EQ(calls[3].Text("ssid"), "any");
    EXPECT_EQ(calls[3].Text("ssidLength"), "3");
    return calls[1];
  }

  HWND sheet_ = nullptr;
  HWND page_ = nullptr;
  size_t applyFrom_ = 0;
};

TEST_F(EncryptionTab, PassphraseAt64BitsSendsTheFourGeneratedKeysAndReassociates) {
  ASSERT_NO_FATAL_FAILURE(OpenEncryptionTab(kVaultWorld));
  const std::string passphrase = "Harbour lights at dusk";
  const std::vector<std::string> expected = Keys64(passphrase);
  ASSERT_NE(expected[0], expected[1]);

  Choose(IDC_WEP_LEVEL, 1);
  Click(IDC_CREATE_WITH_PASSPHRASE);
  Choose(IDC_DEFAULT_TX_KEY, 2);
  Write(IDC_PASSPHRASE, passphrase);
  // The keys show while the passphrase is typed, in clear.
  EXPECT_EQ(Read(IDC_KEY1_HEX64), expected[0]);
  EXPECT_EQ(Read(IDC_KEY4_HEX64), expected[3]);
  EXPECT_EQ(SendMessageA(Control(IDC_KEY1_HEX64), EM_GETPASSWORDCHAR, 0, 0), 0);

  ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
  const Call set = CheckApplyCalls("0x3F000");
  EXPECT_EQ(set.Text("wepStatus"), "0");
  const std::vector<LoggedKey> keys = Keys(set);
  ASSERT_EQ(keys.size(), 4u);
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(keys[s].slot, std::to_string(s));
    EXPECT_EQ(keys[s].keyLength, "5");
    EXPECT_EQ(keys[s].keyMaterial, expected[s]) << "key " << s + 1;
    EXPECT_EQ(keys[s].keyIndex, s == 2 ? "0x80000002" : "0x" + std::to_string(s)) << "key " << s + 1;
  }
  // Masked again after the apply.
  EXPECT_EQ(SendMessageA(Control(IDC_KEY1_HEX64), EM_GETPASSWORDCHAR, 0, 0), '*');
  ExpectNotTraced({passphrase, expected[0], expected[1], expected[2], expected[3]});
}

TEST_F(EncryptionTab, PassphraseAt128BitsSendsTheDigestKeyInAllFourSlots) {
  ASSERT_NO_FATAL_FAILURE(OpenEncryptionTab(kVaultWorld));
  const std::string passphrase = "a passphrase for the whole office";
  const std::string expected = Key128(passphrase);

  Choose(IDC_WEP_LEVEL, 2);
  Click(IDC_CREATE_WITH_PASSPHRASE);
  Write(IDC_PASSPHRASE, passphrase);
  EXPECT_EQ(Read(IDC_KEY3_HEX128), expected);

  ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
  const Call set = CheckApplyCalls("0x3F000");
  const std::vector<LoggedKey> keys = Keys(set);
  ASSERT_EQ(keys.size(), 4u);
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(keys[s].keyLength, "13");
    EXPECT_EQ(keys[s].keyMaterial, expected) << "key " << s + 1;
  }
  EXPECT_EQ(keys[0].keyIndex, "0x80000000");
  ExpectNotTraced({passphrase, expected});
}

TEST_F(EncryptionTab, ANineDigitKeyIsRefusedWithAMessageNamingItAndNothingIsSent) {
  ASSERT_NO_FATAL_FAILURE(OpenEncryptionTab(kVaultWorld));
  Choose(IDC_WEP_LEVEL, 1);
  Click(IDC_MANUAL_ENTRY);
  Write(IDC_KEY1_HEX64, "1111111111");
  Write(IDC_KEY2_HEX64, "2222222222");
  Write(IDC_KEY3_HEX64, "333333333");
  Write(IDC_KEY4_HEX64, "4444444444");
  const size_t before = Calls().size();
  PostClick(IDC_ENC_APPLY_CHANGES);

  std::vector<HWND> boxes;
  ASSERT_TRUE(WaitUntil([&] { return !(boxes = MessageBoxes()).empty(); })) << "no message box";
  EXPECT_EQ(ForeignText(GetDlgItem(boxes[0], kMessageTextId)),
            "Invalid WEP key length. They should be 10 characters.( Key3)");
  PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return MessageBoxes().empty(); }));

  const std::vector<Call> calls = Calls();
  for (size_t i = before; i < calls.size(); ++i) {
    EXPECT_NE(calls[i].op, "NIVO_SetProfileWireless");
    EXPECT_NE(calls[i].op, "NIVO_SetWLANConfig");
    EXPECT_NE(calls[i].op, "NIVO_SetSSID");
  }
  ExpectNotTraced({"1111111111", "333333333"});
}

TEST_F(EncryptionTab, WepOffSendsOnlyStatusAndAuthenticationAndStillReassociates) {
  ASSERT_NO_FATAL_FAILURE(OpenEncryptionTab(kVaultWorld));
  Choose(IDC_WEP_LEVEL, 1);
  Choose(IDC_WEP_LEVEL, 0);
  ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
  const Call set = CheckApplyCalls("0x30000");
  EXPECT_EQ(set.Text("wepStatus"), "1");
  EXPECT_TRUE(Keys(set).empty());
}

// Joins the card's 64-bit network with a key typed in lower case on key 2 as transmit key;
// true when a link came, as the tray icon and the connect status readings show.
class EncryptionJoin : public EncryptionTab, public ::testing::WithParamInterface<bool> {};

TEST_P(EncryptionJoin, TheNetworksKeyGivesALinkAWrongKeyNone) {
  const bool rightKey = GetParam();
  ASSERT_NO_FATAL_FAILURE(OpenEncryptionTab(kVaultWorld));
  // Nothing open in reach: no link before the keys.
  ASSERT_TRUE(WaitUntil([&] { return ConnectReadings(1, 0) >= 2; }));
  ASSERT_TRUE(WaitForTrayPicture(TrayPicture::kNoLink, kPatientMs)) << TrayPictureName(ReadTrayPicture());

  Choose(IDC_WEP_LEVEL, 1);
  Click(IDC_MANUAL_ENTRY);
  // Typed into the masked fields: each starts afresh and shows its text in clear; a letter
  // beyond F is dropped.
  const std::string key2 = rightKey ? "0a0b0c0d0e" : "0a0b0c0d0f";
  Type(IDC_KEY1_HEX64, "1234567890");
  Type(IDC_KEY2_HEX64, "0a0b0c0d0" + std::string("x") + key2.substr(9));
  Type(IDC_KEY3_HEX64, "1234567890");
  Type(IDC_KEY4_HEX64, "9876543210");
  ASSERT_TRUE(WaitUntil([&] { return Read(IDC_KEY4_HEX64) == "9876543210"; }));
  EXPECT_EQ(Read(IDC_KEY2_HEX64), key2);
  EXPECT_EQ(SendMessageA(Control(IDC_KEY2_HEX64), EM_GETPASSWORDCHAR, 0, 0), 0);
  Choose(IDC_DEFAULT_TX_KEY, 1);
  // scripts/screenshots asks for the picture of the page in this state.
  if (const char* picture = std::getenv("TW_ENCRYPTION_PICTURE"); picture != nullptr && rightKey) {
    Sleep(500);  // the fields repaint
    EXPECT_TRUE(CaptureWindow(sheet_, picture)) << picture;
  }
  ASSERT_NO_FATAL_FAILURE(ApplyAndWait());
  const size_t after = Calls().size();
  const std::vector<LoggedKey> keys = Keys(CheckApplyCalls("0x3F000"));
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[1].keyIndex, "0x80000001");
  EXPECT_EQ(keys[1].keyMaterial, rightKey ? kVaultKey : "0A0B0C0D0F");

  if (rightKey) {
    EXPECT_TRUE(WaitUntil([&] { return ConnectReadings(0, after) >= 2; }));
    EXPECT_TRUE(WaitForTrayPicture(TrayPicture::kLinkUp, kPatientMs)) << TrayPictureName(ReadTrayPicture());
  } else {
    // Three more readings, every one without a link.
    EXPECT_TRUE(WaitUntil([&] { return ConnectReadings(1, after) >= 3; }));
    EXPECT_EQ(ConnectReadings(0, after), 0u);
    EXPECT_EQ(ReadTrayPicture(), TrayPicture::kNoLink) << TrayPictureName(ReadTrayPicture());
  }
  ExpectNotTraced({kVaultKey, "0a0b0c0d0e"});
}

INSTANTIATE_TEST_SUITE_P(Keys, EncryptionJoin, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "RightKey" : "WrongKey");
                         });

}  // namespace
