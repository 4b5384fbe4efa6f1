// Persistence through the container's property bag, our stream and a
// storage; damaged streams are refused whole.

#include <gtest/gtest.h>

#include <vector>

#include "component/persist/MemoryPropertyBag.h"
#include "component/persist/PropertyStream.h"
#include "tests/component-object/Fakes.h"
#include "tests/support/Rows.h"

namespace pelzorvick::test {
namespace {

ComPtr<_ZorvickCtrl> Fresh() { return NewInitialisedControl<_ZorvickCtrl>(); }

// A control with a value in every property other than the defaults.
ComPtr<_ZorvickCtrl> Filled() {
  ComPtr<_ZorvickCtrl> dual = Fresh();
  PutString(dual.Get(), &_ZorvickCtrl::put_Command, L"notepad.exe \"a b.txt\"");
  PutString(dual.Get(), &_ZorvickCtrl::put_Control, L"Button");
  PutString(dual.Get(), &_ZorvickCtrl::put_Text, L"Caption \u00e9");
  PutString(dual.Get(), &_ZorvickCtrl::put_BackColor, L"#112233");
  PutString(dual.Get(), &_ZorvickCtrl::put_ForeColor, L"red");
  PutString(dual.Get(), &_ZorvickCtrl::put_ImageURL, L" http://127.0.0.1/x.bmp ");
  PutString(dual.Get(), &_ZorvickCtrl::put_Command1, L"one");
  PutString(dual.Get(), &_ZorvickCtrl::put_Command9, L"nine");
  dual->put_FontSize(12.5f);
  dual->put_AutoSize(VARIANT_FALSE);
  dual->put_Border(VARIANT_FALSE);
  return dual;
}

void ExpectFilled(_ZorvickCtrl* dual) {
  EXPECT_EQ(L"notepad.exe \"a b.txt\"", GetString(dual, &_ZorvickCtrl::get_Command));
  EXPECT_EQ(L"Button", GetString(dual, &_ZorvickCtrl::get_Control));
  EXPECT_EQ(L"Caption \u00e9", GetString(dual, &_ZorvickCtrl::get_Text));
  EXPECT_EQ(L"#112233", GetString(dual, &_ZorvickCtrl::get_BackColor));
  EXPECT_EQ(L"red", GetString(dual, &_ZorvickCtrl::get_ForeColor));
  EXPECT_EQ(L" http://127.0.0.1/x.bmp ", GetString(dual, &_ZorvickCtrl::get_ImageURL));
  EXPECT_EQ(L"one", GetString(dual, &_ZorvickCtrl::get_Command1));
  EXPECT_EQ(L"", GetString(dual, &_ZorvickCtrl::get_Command2));
  EXPECT_EQ(L"nine", GetString(dual, &_ZorvickCtrl::get_Command9));
  float size = 0;
  dual->get_FontSize(&size);
  EXPECT_EQ(12.5f, size);
  VARIANT_BOOL b = VARIANT_TRUE;
  dual->get_AutoSize(&b);
  EXPECT_EQ(VARIANT_FALSE, b);
  dual->get_Border(&b);
  EXPECT_EQ(VARIANT_FALSE, b);
}

TEST(ObjectPersist, PropertyBagSaveIntoAFreshInstanceAndLoad) {
  ComPtr<FakeBag> bag(new FakeBag);
  bag->calls.Expect({"Write"});
  {
    ComPtr<_ZorvickCtrl> source = Filled();
    ComPtr<IPersistPropertyBag> persist;
    source.As(&persist);
    ASSERT_EQ(S_OK, persist->Save(bag.Get(), TRUE, TRUE));
  }
  EXPECT_EQ(18u, bag->values.size());
  EXPECT_EQ(18, bag->calls.Count("Write"));
  bag->calls.Take();
  bag->calls.Expect({"Read"});
  EXPECT_EQ(VT_R4, V_VT(&bag->values[L"FontSize"]));
  EXPECT_EQ(VT_BOOL, V_VT(&bag->values[L"Border"]));

  ComPtr<_ZorvickCtrl> target = NewControl<_ZorvickCtrl>();
  ComPtr<IPersistPropertyBag> persist;
  target.As(&persist);
  ASSERT_EQ(S_OK, persist->Load(bag.Get(), nullptr));
  ExpectFilled(target.Get());
  EXPECT_EQ(18, bag->calls.Count("Read")) << "a load reads each key once and writes nothing";
  EXPECT_EQ(18u, bag->calls.Lines().size());
}

TEST(ObjectPersist, PropertyBagTypeMismatchIsAnErrorWithText) {
  ComPtr<FakeBag> bag(new FakeBag);
  bag->calls.Expect({"Read"});
  bag->PutText(L"FontSize", L"large");
  ComPtr<IPersistPropertyBag> persist = NewControl<IPersistPropertyBag>();
  EXPECT_EQ(static_cast<HRESULT>(0x800A000D), persist->Load(bag.Get(), nullptr));
}

TEST(ObjectPersist, StreamRoundTripAndSize) {
  ComPtr<IStream> stream;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  ULARGE_INTEGER size{};
  {
    ComPtr<_ZorvickCtrl> source = Filled();
    ComPtr<IPersistStreamInit> persist;
    source.As(&persist);
    ASSERT_EQ(S_OK, persist->GetSizeMax(&size));
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty());
  }
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  EXPECT_EQ(size.QuadPart, stat.cbSize.QuadPart);
  // Something after our data stays unread.
  stream->Write("tail", 4, nullptr);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);

  ComPtr<_ZorvickCtrl> target = NewControl<_ZorvickCtrl>();
  ComPtr<IPersistStreamInit> persist;
  target.As(&persist);
  ASSERT_EQ(S_OK, persist->Load(stream.Get()));
  ExpectFilled(target.Get());
  ULARGE_INTEGER position{};
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &position);
  EXPECT_EQ(size.QuadPart, position.QuadPart);
}

std::vector<uint8_t> SavedBytes() {
  ComPtr<_ZorvickCtrl> source = Filled();
  ComPtr<IPersistStreamInit> persist;
  source.As(&persist);
  ComPtr<IStream> stream;
  CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  persist->Save(stream.Get(), TRUE);
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<uint8_t> bytes(stat.cbSize.QuadPart);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  return bytes;
}

struct Damage {
  const char* name;
  std::vector<uint8_t> (*make)(std::vector<uint8_t>);
};

const Damage kDamages[] = {
    {"Empty", [](std::vector<uint8_t>) { return std::vector<uint8_t>{}; }},
    {"HeaderOnly", [](std::vector<uint8_t> b) { b.resize(16); return b; }},
    {"Truncated", [](std::vector<uint8_t> b) { b.pop_back(); return b; }},
    {"WrongMagic", [](std::vector<uint8_t> b) { b[0] ^= 0x20; return b; }},
    {"FutureVersion", [](std::vector<uint8_t> b) { b[4] = 2; return b; }},
    {"LengthTooShort", [](std::vector<uint8_t> b) { b[8] -= 1; return b; }},
    {"UnknownTag", [](std::vector<uint8_t> b) {
       // The first entry's tag follows its key.
       const size_t key = b[16] | (b[17] << 8);
       b[18 + 2 * key] = 9;
       return b;
     }},
    {"FontSizeAsText", [](std::vector<uint8_t>) {
       MemoryPropertyBag bag;
       bag.Set(u"Text", std::u16string(u"changed"));
       bag.Set(u"FontSize", std::u16string(u"large"));
       return EncodePropertyStream(bag);
     }},
};

// The interface the thread's error info names.
GUID ErrorInterface() {
  ComPtr<IErrorInfo> info;
  GUID guid = GUID_NULL;
  if (GetErrorInfo(0, &info) == S_OK) info->GetGUID(&guid);
  return guid;
}

ComPtr<IStorage> StorageHolding(const std::vector<uint8_t>& contents) {
  ComPtr<ILockBytes> bytes;
  CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  ComPtr<IStorage> storage;
  StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                               &storage);
  ComPtr<IStream> stream;
  storage->CreateStream(L"Contents", STGM_WRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, &stream);
  if (!contents.empty()) stream->Write(contents.data(), static_cast<ULONG>(contents.size()), nullptr);
  return storage;
}

class ObjectDamagedStream : public ::testing::TestWithParam<Damage> {};

TEST_P(ObjectDamagedStream, IsRefusedAndChangesNothing) {
  const std::vector<uint8_t> bytes = GetParam().make(SavedBytes());
  ComPtr<IStream> stream;
  ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);

  ComPtr<_ZorvickCtrl> target = Fresh();
  PutString(target.Get(), &_ZorvickCtrl::put_Text, L"before");
  ComPtr<IPersistStreamInit> persist;
  target.As(&persist);
  ComPtr<NotifySink> sink(new NotifySink);
  const DWORD cookie = Advise(target.Get(), IID_IPropertyNotifySink, sink.Get());

  EXPECT_TRUE(FAILED(persist->Load(stream.Get())));
  EXPECT_EQ(L"before", GetString(target.Get(), &_ZorvickCtrl::get_Text));
  EXPECT_EQ(L"", GetString(target.Get(), &_ZorvickCtrl::get_Control));
  float size = 0;
  target->get_FontSize(&size);
  EXPECT_EQ(9.0f, size);
  EXPECT_TRUE(sink->calls.Lines().empty()) << "no setter ran";
  EXPECT_EQ(IID_IPersistStreamInit, ErrorInterface());
  Unadvise(target.Get(), IID_IPropertyNotifySink, cookie);

  // The same bytes in a storage: the error names the interface called.
  ComPtr<IStorage> storage = StorageHolding(bytes);
  ComPtr<IPersistStorage> through_storage = NewControl<IPersistStorage>();
  EXPECT_TRUE(FAILED(through_storage->Load(storage.Get())));
  EXPECT_EQ(IID_IPersistStorage, ErrorInterface());
}

INSTANTIATE_TEST_SUITE_P(Damages, ObjectDamagedStream, ::testing::ValuesIn(kDamages), RowName());

TEST(ObjectPersist, StorageRoundTrip) {
  ComPtr<ILockBytes> bytes;
  ASSERT_EQ(S_OK, CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes));
  ComPtr<IStorage> storage;
  ASSERT_EQ(S_OK, StgCreateDocfileOnILockBytes(
                      bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage));
  {
    ComPtr<_ZorvickCtrl> source = Filled();
    ComPtr<IPersistStorage> persist;
    source.As(&persist);
    ASSERT_EQ(S_OK, persist->Save(storage.Get(), TRUE));
    EXPECT_EQ(S_OK, persist->SaveCompleted(nullptr));
  }
  ComPtr<_ZorvickCtrl> target = NewControl<_ZorvickCtrl>();
  ComPtr<IPersistStorage> persist;
  target.As(&persist);
  ASSERT_EQ(S_OK, persist->Load(storage.Get()));
  ExpectFilled(target.Get());

  // An empty storage has nothing to load.
  ComPtr<ILockBytes> other_bytes;
  CreateILockBytesOnHGlobal(nullptr, TRUE, &other_bytes);
  ComPtr<IStorage> empty;
  StgCreateDocfileOnILockBytes(other_bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                               0, &empty);
  ComPtr<IPersistStorage> fresh = NewControl<IPersistStorage>();
  EXPECT_TRUE(FAILED(fresh->Load(empty.Get())));
  EXPECT_EQ(S_OK, fresh->InitNew(empty.Get()));
}

ComPtr<IStorage> NewStorage() {
  ComPtr<ILockBytes> bytes;
  CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  ComPtr<IStorage> storage;
  StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                               &storage);
  return storage;
}

// The same storage, open for reading only: a save into it fails.
ComPtr<IStorage> ReadOnly(IStorage* storage) {
  storage->Commit(STGC_DEFAULT);
  ComPtr<ILockBytes> bytes;
  CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  ComPtr<IStorage> copy;
  StgCreateDocfileOnILockBytes(bytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &copy);
  storage->CopyTo(0, nullptr, nullptr, copy.Get());
  copy->Commit(STGC_DEFAULT);
  copy.Reset();
  ComPtr<IStorage> read_only;
  StgOpenStorageOnILockBytes(bytes.Get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0, &read_only);
  return read_only;
}

// SaveCompleted leaves the control clean only when what was saved is where
// it now lives: its own storage, or the one the container hands it.
TEST(ObjectPersist, SaveCompletedCleansOnlyAfterASaveThatKeepsTheControl) {
  enum Into { kLoaded, kOther, kReadOnly, kNone };
  const struct {
    const char* name;
    Into into;
    BOOL same_as_load;
    bool changed_after;
    bool hands_new_storage;
    HRESULT dirty;
  } rows[] = {
      {"save", kLoaded, TRUE, false, false, S_FALSE},
      {"save as", kOther, FALSE, false, true, S_FALSE},
      {"save copy as", kOther, FALSE, false, false, S_OK},
      {"failed save", kReadOnly, TRUE, false, false, S_OK},
      {"changed after the save", kLoaded, TRUE, true, false, S_OK},
      {"no save", kNone, TRUE, false, false, S_OK},
  };
  for (const auto& row : rows) {
    const ComPtr<IStorage> loaded = NewStorage();
    ComPtr<_ZorvickCtrl> dual = NewControl<_ZorvickCtrl>();
    ComPtr<IPersistStorage> persist;
    dual.As(&persist);
    ASSERT_EQ(S_OK, persist->InitNew(loaded.Get()));
    PutString(dual.Get(), &_ZorvickCtrl::put_Text, L"changed");
    const ComPtr<IStorage> other = NewStorage();
    const ComPtr<IStorage> target = row.into == kLoaded   ? loaded
                                    : row.into == kOther  ? other
                                    : row.into == kReadOnly ? ReadOnly(loaded.Get())
                                                            : nullptr;
    if (target) {
      EXPECT_EQ(row.into == kReadOnly, FAILED(persist->Save(target.Get(), row.same_as_load))) << row.name;
    }
    if (row.changed_after) PutString(dual.Get(), &_ZorvickCtrl::put_Text, L"after");
    EXPECT_EQ(S_OK, persist->SaveCompleted(row.hands_new_storage ? other.Get() : nullptr)) << row.name;
    EXPECT_EQ(row.dirty, persist->IsDirty()) << row.name;
  }
}

}  // namespace
}  // namespace pelzorvick::test
