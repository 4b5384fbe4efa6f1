// The type library embedded in the built .ocx, row by row against the
// published boundary of the control.

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PelZorvick_h.h"
#include "component/object/DispatchIds.h"
#include "control/ZorvickCtrl.h"
#include "tests/component-library/OcxModule.h"

namespace pelzorvick::test {
namespace {

std::wstring Str(BSTR b) {
  std::wstring s = b != nullptr ? std::wstring(b, SysStringLen(b)) : std::wstring();
  SysFreeString(b);
  return s;
}

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(LoadTypeLibEx(OcxPath().c_str(), REGKIND_NONE, lib_.ReleaseAndGetAddressOf()), S_OK);
  }

  ComPtr<ITypeInfo> Info(UINT index) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(lib_->GetTypeInfo(index, info.ReleaseAndGetAddressOf()), S_OK);
    return info;
  }

  ComPtr<ITypeLib> lib_;
};

// Owns what `info` handed out for the scope, given back through `release`.
template <class T, void (STDMETHODCALLTYPE ITypeInfo::*release)(T*)>
class Held {
 public:
  explicit Held(ITypeInfo* info) : info_(info) {}
  ~Held() {
    if (held_ != nullptr) (info_->*release)(held_);
  }
  const T* operator->() const { return held_; }

 protected:
  ITypeInfo* info_;
  T* held_ = nullptr;
};

class Attr : public Held<TYPEATTR, &ITypeInfo::ReleaseTypeAttr> {
 public:
  explicit Attr(ITypeInfo* info) : Held(info) { EXPECT_EQ(info->GetTypeAttr(&held_), S_OK); }
};

class Func : public Held<FUNCDESC, &ITypeInfo::ReleaseFuncDesc> {
 public:
  Func(ITypeInfo* info, UINT index) : Held(info) { EXPECT_EQ(info->GetFuncDesc(index, &held_), S_OK); }
};

TEST_F(TypeLibrary, LibraryAttributes) {
  BSTR name = nullptr;
  BSTR help = nullptr;
  ASSERT_EQ(lib_->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(Str(name), L"PelZorvick");
  EXPECT_EQ(Str(help), L"PelZorvick");

  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_PelZorvick));
  EXPECT_EQ(attr->lcid, 0x0409u);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  // The loader adds "has disk image" to what the file stores.
  EXPECT_EQ(attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, LIBFLAG_FCONTROL);
  EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  lib_->ReleaseTLibAttr(attr);
}

TEST_F(TypeLibrary, TypeInfosInOrderWithKindsAndFlags) {
  struct Row {
    const wchar_t* name;
    TYPEKIND kind;
    const GUID* guid;
    WORD flags;
  };
  const Row rows[] = {
      {L"_ZorvickCtrl", TKIND_DISPATCH, &IID__ZorvickCtrl,
       TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION |
           TYPEFLAG_FDISPATCHABLE},
      // Creatable, so that containers offer it; and a control.
      {L"ZorvickCtrl", TKIND_COCLASS, &CLSID_ZorvickCtrl, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL},
      {L"__ZorvickCtrl", TKIND_DISPATCH, &DIID___ZorvickCtrl,
       TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE},
  };
  ASSERT_EQ(lib_->GetTypeInfoCount(), 3u);
  for (UINT i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    BSTR name = nullptr;
    ASSERT_EQ(lib_->GetDocumentation(i, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Str(name), rows[i].name);
    TYPEKIND kind{};
    ASSERT_EQ(lib_->GetTypeInfoType(i, &kind), S_OK);
    EXPECT_EQ(kind, rows[i].kind);
    ComPtr<ITypeInfo> info = Info(i);
    Attr attr(info.Get());
    EXPECT_TRUE(IsEqualGUID(attr->guid, *rows[i].guid));
    // The stored flags; Wine's TYPEATTR of a dispatch type info never shows
    // the OLE automation bit, whatever the file holds.
    ComPtr<ITypeInfo2> info2;
    ASSERT_EQ(info->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(info2.ReleaseAndGetAddressOf())), S_OK);
    ULONG stored = 0;
    ASSERT_EQ(info2->GetTypeFlags(&stored), S_OK);
    EXPECT_EQ(stored, rows[i].flags) << std::hex << stored;
    const WORD ignored = rows[i].kind == TKIND_DISPATCH ? TYPEFLAG_FOLEAUTOMATION : 0;
    EXPECT_EQ(attr->wTypeFlags & ~ignored, rows[i].flags & ~ignored)
        << std::hex << attr->wTypeFlags;
  }
}

struct Member {
  std::wstring name;
  VARTYPE type;  // VT_EMPTY: a method without arguments
  MEMBERID id;
};

VARTYPE VarTypeOf(PropertyType type) {
  switch (type) {
    case PropertyType::kSingle: return VT_R4;
    case PropertyType::kString: return VT_BSTR;
    case PropertyType::kBool: return VT_BOOL;
  }
  return VT_EMPTY;
}

// Execute, then the control's property table row by row: what widl made of
// the IDL must agree with the table in order, names, ids and types.
const std::vector<Member> kMembers = [] {
  std::vector<Member> members{{L"Execute", VT_EMPTY, kDispidExecute}};
  for (const Property& p : ZorvickCtrl::kProperties) {
    members.push_back({std::wstring(p.name.begin(), p.name.end()), VarTypeOf(p.type()), p.dispid});
  }
  return members;
}();

// The interface half of the dual interface: what a vtable-binding host sees.
TEST_F(TypeLibrary, DualInterfaceSlotsIdsAndSignatures) {
  ComPtr<ITypeInfo> dispatch = Info(0);
  HREFTYPE ref = 0;
  ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &ref), S_OK);
  ComPtr<ITypeInfo> vtable;
  ASSERT_EQ(dispatch->GetRefTypeInfo(ref, vtable.ReleaseAndGetAddressOf()), S_OK);
  Attr attr(vtable.Get());
  ASSERT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_TRUE(IsEqualGUID(attr->guid, IID__ZorvickCtrl));
  EXPECT_EQ(attr->wTypeFlags, TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                  TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE)
      << std::hex << attr->wTypeFlags;
  ASSERT_EQ(attr->cFuncs, 37);
  ASSERT_EQ(kMembers.size(), 19u);
  // IUnknown and IDispatch take the first seven slots.
  EXPECT_EQ(attr->cbSizeVft, (7 + 37) * sizeof(void*));

  UINT index = 0;
  for (const Member& m : kMembers) {
    const int passes = m.type == VT_EMPTY ? 1 : 2;
    for (int pass = 0; pass < passes; ++pass, ++index) {
      SCOPED_TRACE(testing::Message() << "slot " << index);
      Func f(vtable.Get(), index);
      const bool setter = pass == 1;
      EXPECT_EQ(f->memid, m.id);
      EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + index) * sizeof(void*)));
      EXPECT_EQ(f->funckind, FUNC_PUREVIRTUAL);
      EXPECT_EQ(f->callconv, CC_STDCALL);
      EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT);
      EXPECT_EQ(f->invkind, m.type == VT_EMPTY ? INVOKE_FUNC
                            : setter           ? INVOKE_PROPERTYPUT
                                               : INVOKE_PROPERTYGET);
      BSTR name = nullptr;
      ASSERT_EQ(vtable->GetDocumentation(f->memid, &name, nullptr, nullptr, nullptr), S_OK);
      EXPECT_EQ(Str(name), m.name);
      if (m.type == VT_EMPTY) {
        EXPECT_EQ(f->cParams, 0);
        continue;
      }
      ASSERT_EQ(f->cParams, 1);
      const ELEMDESC& param = f->lprgelemdescParam[0];
      if (setter) {
        EXPECT_EQ(param.tdesc.vt, m.type);
        EXPECT_EQ(param.paramdesc.wParamFlags, PARAMFLAG_FIN);
      } else {
        ASSERT_EQ(param.tdesc.vt, VT_PTR);
        EXPECT_EQ(param.tdesc.lptdesc->vt, m.type);
        EXPECT_EQ(param.paramdesc.wParamFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
      }
    }
  }
}

// GetNames answers for the first function of an id (the getter), so the
// setters' parameter names are checked through the library's names.
TEST_F(TypeLibrary, SetterParametersAreNamedNewProperty) {
  for (const Member& m : kMembers) {
    if (m.type == VT_EMPTY) continue;
    std::wstring name = std::wstring(L"New_") + m.name;
    BOOL found = FALSE;
    EXPECT_EQ(lib_->IsName(name.data(), 0, &found), S_OK);
    EXPECT_TRUE(found) << std::string(name.begin(), name.end());
  }
  std::wstring absent = L"New_Execute";
  BOOL found = TRUE;
  EXPECT_EQ(lib_->IsName(absent.data(), 0, &found), S_OK);
  EXPECT_FALSE(found);
}

// A host that binds by name finds every member under its exact name.
TEST_F(TypeLibrary, DispatchBindsEveryMemberByName) {
  ComPtr<ITypeInfo> dispatch = Info(0);
  for (const Member& m : kMembers) {
    std::wstring name = m.name;
    LPOLESTR names[] = {name.data()};
    MEMBERID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(names, 1, &id), S_OK) << std::string(name.begin(), name.end());
    EXPECT_EQ(id, m.id);
  }
}

TEST_F(TypeLibrary, EventInterfaceHasClickOnly) {
  ComPtr<ITypeInfo> events = Info(2);
  Attr attr(events.Get());
  ASSERT_EQ(attr->cFuncs, 1);
  EXPECT_EQ(attr->cVars, 0);
  Func click(events.Get(), 0);
  EXPECT_EQ(click->memid, kDispidClick);
  EXPECT_EQ(click->invkind, INVOKE_FUNC);
  EXPECT_EQ(click->funckind, FUNC_DISPATCH);
  EXPECT_EQ(click->cParams, 0);
  EXPECT_EQ(click->elemdescFunc.tdesc.vt, VT_VOID);
  BSTR name = nullptr;
  ASSERT_EQ(events->GetDocumentation(kDispidClick, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(Str(name), L"Click");
}

// What a designer's description pane shows: one sentence for every member,
// the event and the class.
TEST_F(TypeLibrary, MembersEventAndClassHaveOneSentenceHelp) {
  struct Described {
    UINT type_info;
    MEMBERID id;
    std::wstring name;
  };
  std::vector<Described> described = {{1, MEMBERID_NIL, L"ZorvickCtrl"}, {2, 1, L"Click"}};
  for (const Member& m : kMembers) described.push_back({0, m.id, m.name});
  for (const Described& d : described) {
    BSTR help = nullptr;
    ASSERT_EQ(Info(d.type_info)->GetDocumentation(d.id, nullptr, &help, nullptr, nullptr), S_OK);
    const std::wstring text = Str(help);
    const std::string name(d.name.begin(), d.name.end());
    EXPECT_GT(text.size(), 10u) << name;
    EXPECT_EQ(text.back(), L'.') << name;
    EXPECT_EQ(text.find(L". "), std::wstring::npos) << name << ": one sentence";
  }
}

TEST_F(TypeLibrary, ClassImplementsDefaultAndDefaultSource) {
  ComPtr<ITypeInfo> cls = Info(1);
  Attr attr(cls.Get());
  ASSERT_EQ(attr->cImplTypes, 2);
  const struct {
    const GUID* iid;
    INT flags;
  } impls[] = {{&IID__ZorvickCtrl, IMPLTYPEFLAG_FDEFAULT},
               {&DIID___ZorvickCtrl, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
  for (UINT i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    INT flags = 0;
    ASSERT_EQ(cls->GetImplTypeFlags(i, &flags), S_OK);
    EXPECT_EQ(flags, impls[i].flags);
    HREFTYPE ref = 0;
    ASSERT_EQ(cls->GetRefTypeOfImplType(i, &ref), S_OK);
    ComPtr<ITypeInfo> impl;
    ASSERT_EQ(cls->GetRefTypeInfo(ref, impl.ReleaseAndGetAddressOf()), S_OK);
    Attr implAttr(impl.Get());
    EXPECT_TRUE(IsEqualGUID(implAttr->guid, *impls[i].iid));
  }
}

}  // namespace
}  // namespace pelzorvick::test
