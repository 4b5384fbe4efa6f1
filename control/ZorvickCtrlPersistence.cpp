#include <utility>

#include "control/ZorvickCtrl.h"

namespace pelzorvick {

namespace {
constexpr int kOpaque = 1;

// Calls `f` with each row of `order` as a constant, in order.
template <const auto& order, class F>
void ForEachRow(F&& f) {
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (f(std::integral_constant<std::size_t, order[I]>{}), ...);
  }(std::make_index_sequence<order.size()>{});
}

constexpr auto kRows = [] {
  std::array<std::size_t, ZorvickCtrl::kPropertyCount> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = i;
  return rows;
}();
}  // namespace

void ZorvickCtrl::InitProperties() {
  // Directly: a new control has nothing the container should save yet.
  ForEachRow<kRows>([&](auto row) {
    using T = ValueType<row>;
    if constexpr (std::is_same_v<T, std::u16string>) {
      (this->*MemberOf<row>()).clear();
    } else {
      this->*MemberOf<row>() = static_cast<T>(kProperties[row].default_value);
    }
  });
}

template <std::size_t Row>
void ZorvickCtrl::ReadProperty(PropertyBag& bag) {
  const Property& p = kProperties[Row];
  using T = ValueType<Row>;
  if constexpr (std::is_same_v<T, float>) {
    Set<Row>(bag.ReadSingle(p.name, p.default_value));
  } else if constexpr (std::is_same_v<T, bool>) {
    Set<Row>(bag.ReadBool(p.name, p.default_value != 0));
  } else {
    Set<Row>(bag.ReadString(p.name, u""));
  }
}

template <std::size_t Row>
void ZorvickCtrl::WriteProperty(PropertyBag& bag) const {
  const Property& p = kProperties[Row];
  using T = ValueType<Row>;
  if constexpr (std::is_same_v<T, float>) {
    bag.WriteSingle(p.name, Get<Row>(), p.default_value);
  } else if constexpr (std::is_same_v<T, bool>) {
    bag.WriteBool(p.name, Get<Row>(), p.default_value != 0);
  } else {
    bag.WriteString(p.name, Get<Row>(), u"");
  }
}

void ZorvickCtrl::ReadProperties(PropertyBag& bag) {
  container_.SetAutoRedraw(false);
  container_.SetBackStyle(kOpaque);

  // Each value is stored and announced at once, so a type error halfway
  // leaves the earlier ones read.
  ForEachRow<kReadOrder>([&](auto row) { ReadProperty<row>(bag); });

  // Pictures are fetched only for a running form, once per load.
  if (container_.UserMode() && IsPictureMode()) AcquirePicture();
}

void ZorvickCtrl::WriteProperties(PropertyBag& bag) const {
  ForEachRow<kWriteOrder>([&](auto row) { WriteProperty<row>(bag); });
}

}  // namespace pelzorvick
