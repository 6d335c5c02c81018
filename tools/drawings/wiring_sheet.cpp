#include "wiring_sheet.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>
#include <QPen>
#include <QStringList>
#include <algorithm>

namespace drawings {
namespace {

// Layout of the sheet, mm.
constexpr double kMargin = 8.0;
constexpr double kBoxLeft = 22.0;
constexpr double kBoxTop = 26.0;
constexpr double kTermLeft = 86.0;  // terminal block, right edge of the transmitter
constexpr double kTermRight = 92.0;
constexpr double kFirstTerminal = 36.0;
constexpr double kPitch = 7.0;
constexpr double kMinBoxBottom = 70.0;
constexpr double kDescriptionX = 196.0;  // load descriptions
constexpr double kLiveX = 178.0;         // end of the L wire of a relay circuit
constexpr double kNeutralX = 188.0;      // end of the N wire of a relay circuit
constexpr double kTitleLeft = 187.0;
constexpr double kTitleTop = 166.0;
constexpr double kNotesTop = 140.0;

const QString kMinus = QString::fromUtf8("\u2212");
const QString kOhm = QString::fromUtf8("\u03a9");

int relaysOf(const DrawingEntry& e) { return static_cast<int>(e.Relays.size()); }

QString roleTitle(RelayRole role, int relay) {
  switch (role) {
    case RelayRole::HighAlarm: return QString("H%1  HIGH ALARM  horn / lamp").arg(relay);
    case RelayRole::HighHighAlarm: return QString("H%1  HIGH HIGH ALARM  horn / lamp").arg(relay);
    case RelayRole::LowAlarm: return QString("H%1  LOW ALARM  horn / lamp").arg(relay);
    case RelayRole::LeadPumpDown:
      return QString("K%1  LEAD PUMP P%1 contactor (emptying)").arg(relay);
    case RelayRole::LagPumpDown:
      return QString("K%1  LAG PUMP P%1 contactor (emptying)").arg(relay);
    case RelayRole::SinglePumpDown: return QString("K%1  PUMP P1 contactor (emptying)").arg(relay);
    case RelayRole::LeadPumpUp: return QString("K%1  LEAD PUMP P%1 contactor (filling)").arg(relay);
    case RelayRole::LagPumpUp: return QString("K%1  LAG PUMP P%1 contactor (filling)").arg(relay);
    case RelayRole::SinglePumpUp: return QString("K%1  PUMP P1 contactor (filling)").arg(relay);
    case RelayRole::Independent:
      return QString("X%1  LOAD %1: contactor, valve or alarm").arg(relay);
    case RelayRole::NotUsed: break;
  }
  return {};
}

QString roleSwitching(RelayRole role, int relay) {
  switch (role) {
    case RelayRole::HighAlarm: return "alarm when the level is above Alarm High";
    case RelayRole::HighHighAlarm: return "alarm when the level is above Alarm High High";
    case RelayRole::LowAlarm: return "alarm when the level is below Alarm Low";
    case RelayRole::LeadPumpDown:
    case RelayRole::LagPumpDown:
    case RelayRole::SinglePumpDown:
    case RelayRole::LeadPumpUp:
    case RelayRole::LagPumpUp:
    case RelayRole::SinglePumpUp:
      return QString("on at Relay %1 On, off at Relay %1 Off").arg(relay);
    case RelayRole::Independent: return QString("Relay Set Points: relay %1 ON / OFF").arg(relay);
    case RelayRole::NotUsed: break;
  }
  return {};
}

bool isPump(RelayRole role) {
  return role == RelayRole::LeadPumpDown || role == RelayRole::LagPumpDown ||
         role == RelayRole::SinglePumpDown || role == RelayRole::LeadPumpUp ||
         role == RelayRole::LagPumpUp || role == RelayRole::SinglePumpUp;
}

bool isAlarm(RelayRole role) {
  return role == RelayRole::HighAlarm || role == RelayRole::HighHighAlarm ||
         role == RelayRole::LowAlarm;
}

}  // namespace

WiringSheet::WiringSheet(QPainter& painter, double dotsPerMm) : p_(painter), k_(dotsPerMm) {}

QPointF WiringSheet::at(double x, double y) const { return QPointF(x * k_, y * k_); }

void WiringSheet::setPen(double widthMm, Qt::PenStyle style) {
  QPen pen(Qt::black);
  pen.setWidthF(widthMm * k_);
  pen.setStyle(style);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  p_.setPen(pen);
}

void WiringSheet::line(double x1, double y1, double x2, double y2) {
  p_.drawLine(at(x1, y1), at(x2, y2));
}

void WiringSheet::box(double x, double y, double w, double h) {
  p_.drawRect(QRectF(at(x, y), at(x + w, y + h)));
}

void WiringSheet::dot(double x, double y) {
  p_.save();
  p_.setBrush(Qt::black);
  p_.drawEllipse(at(x, y), 0.7 * k_, 0.7 * k_);
  p_.restore();
}

void WiringSheet::text(double x, double y, const QString& s, double points, bool bold,
                       Qt::Alignment align) {
  QFont font("DejaVu Sans");
  font.setPointSizeF(points);
  font.setBold(bold);
  p_.setFont(font);
  const QFontMetricsF m(font, p_.device());
  double left = x * k_;
  const double width = m.horizontalAdvance(s);
  if (align & Qt::AlignRight) left -= width;
  if (align & Qt::AlignHCenter) left -= width / 2.0;
  // y is the baseline.
  p_.drawText(QPointF(left, y * k_), s);
}

double WiringSheet::paragraph(double x, double y, double w, const QString& s, double points) {
  QFont font("DejaVu Sans");
  font.setPointSizeF(points);
  p_.setFont(font);
  const QRectF area(at(x, y), at(x + w, kPageHeight));
  QRectF used;
  p_.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, s, &used);
  return used.height() / k_;
}

void WiringSheet::draw(const DrawingEntry& entry) {
  terminals_.clear();
  auto add = [this](const QString& label) {
    terminals_.push_back({label, kFirstTerminal + kPitch * static_cast<double>(terminals_.size())});
  };
  switch (entry.Power) {
    case Wiring::FourWire:
      add("+24 VDC");
      add("0 V");
      add("mA +");
      add("mA " + kMinus);
      add("SHLD / PE");
      break;
    case Wiring::TwoWire:
      add("LOOP +");
      add("LOOP " + kMinus);
      add("SHLD / PE");
      break;
    case Wiring::TwoWireHart:
      add("LOOP + / HART");
      add("LOOP " + kMinus);
      add("SHLD / PE");
      break;
  }
  for (int r = 1; r <= relaysOf(entry); ++r) {
    add(QString("R%1 NO").arg(r));
    add(QString("R%1 C").arg(r));
    add(QString("R%1 NC").arg(r));
  }
  boxBottom_ = std::max(kMinBoxBottom, terminals_.back().Y + 7.0);

  p_.save();
  p_.setRenderHint(QPainter::Antialiasing);
  p_.setBrush(Qt::NoBrush);
  frame(entry);
  transmitter(entry);
  terminalStrip();
  powerAndLoop(entry);
  const std::size_t firstRelay = terminals_.size() - 3 * entry.Relays.size();
  for (int r = 0; r < relaysOf(entry); ++r) {
    relay(r + 1, entry.Relays[static_cast<std::size_t>(r)],
          terminals_[firstRelay + 3 * static_cast<std::size_t>(r)].Y);
  }
  serviceCable(entry);
  notes(entry);
  setPoints(entry);
  titleBlock(entry);
  p_.restore();
}

void WiringSheet::frame(const DrawingEntry& entry) {
  setPen(0.5);
  box(kMargin, kMargin, kPageWidth - 2 * kMargin, kPageHeight - 2 * kMargin);
  text(kMargin + 4, kMargin + 8,
       QString("%1  %2  %3:  terminal wiring")
           .arg(entry.Model, QString::fromUtf8("\u2013"), QString::fromUtf8(entry.Configuration)),
       12, true);
  text(kTermRight + 3, kBoxTop - 3, "FIELD WIRING", 7, true);
}

void WiringSheet::transmitter(const DrawingEntry& entry) {
  setPen(0.35);
  box(kBoxLeft, kBoxTop, kTermRight - kBoxLeft, boxBottom_ - kBoxTop);
  text(kBoxLeft + 3, kBoxTop + 5, entry.Model, 11, true);
  text(kBoxLeft + 3, kBoxTop + 9,
       entry.Power == Wiring::FourWire ? "TRANSMITTER (4-WIRE)" : "TRANSMITTER (2-WIRE)", 6);
  text(kBoxLeft + 3, boxBottom_ - 3, "TERMINAL BLOCK TB1", 6);

  // Inside: supply, loop output and housing earth, drawn up to the terminals.
  setPen(0.25);
  const double t0 = terminals_[0].Y;
  const double t1 = terminals_[1].Y;
  if (entry.Power == Wiring::FourWire) {
    const double t2 = terminals_[2].Y;
    const double t3 = terminals_[3].Y;
    line(66, t0, kTermLeft, t0);
    line(66, t1, kTermLeft, t1);
    box(56, t0 - 2.5, 10, t1 - t0 + 5);
    text(61, (t0 + t1) / 2 + 1.2, "PSU", 6, false, Qt::AlignHCenter);
    currentSource(72, t2, t3, true);
    line(72, t2, kTermLeft, t2);
    line(72, t3, kTermLeft, t3);
    text(68.5, (t2 + t3) / 2 + 1.2, "4-20 mA", 5.5, false, Qt::AlignRight);
  } else {
    currentSource(72, t0, t1, false);
    line(72, t0, kTermLeft, t0);
    line(72, t1, kTermLeft, t1);
    text(68.5, (t0 + t1) / 2 + 1.2,
         entry.Power == Wiring::TwoWireHart ? "4-20 mA + HART" : "4-20 mA", 5.5, false,
         Qt::AlignRight);
  }
  const std::size_t shield = entry.Power == Wiring::FourWire ? 4 : 2;
  const double ys = terminals_[shield].Y;
  line(76, ys, kTermLeft, ys);
  earth(76, ys);
  text(74, ys + 1.2, "housing", 5.5, false, Qt::AlignRight);

  for (int r = 0; r < relaysOf(entry); ++r) {
    changeover(r + 1, terminals_[shield + 1 + 3 * static_cast<std::size_t>(r)].Y);
  }
}

void WiringSheet::terminalStrip() {
  for (std::size_t i = 0; i < terminals_.size(); ++i) {
    const double y = terminals_[i].Y;
    setPen(0.3);
    box(kTermLeft, y - 2.6, kTermRight - kTermLeft, 5.2);
    text((kTermLeft + kTermRight) / 2, y + 1.2, QString::number(i + 1), 6.5, true,
         Qt::AlignHCenter);
    text(kTermRight + 1.5, y - 1.0, terminals_[i].Label, 5.5);
  }
}

void WiringSheet::powerAndLoop(const DrawingEntry& entry) {
  setPen(0.25);
  const double t0 = terminals_[0].Y;
  const double t1 = terminals_[1].Y;
  if (entry.Power == Wiring::FourWire) {
    const double t2 = terminals_[2].Y;
    const double t3 = terminals_[3].Y;
    const double t4 = terminals_[4].Y;
    // Supply.
    line(kTermRight, t0, 196, t0);
    line(kTermRight, t1, 196, t1);
    setPen(0.35);
    box(196, t0 - 2.5, 40, t1 - t0 + 5);
    text(198, t0 + 1.2, "+", 7, true);
    text(198, t1 + 1.2, kMinus, 7, true);
    text(216, t0 + 1.2, "24 VDC SUPPLY", 6.5, true, Qt::AlignHCenter);
    text(216, t1 + 1.2, "fused, isolated", 5.5, false, Qt::AlignHCenter);
    // Loop to the input.
    setPen(0.25);
    line(kTermRight, t2, 196, t2);
    line(kTermRight, t3, 196, t3);
    setPen(0.35);
    box(196, t2 - 2.5, 40, t3 - t2 + 5);
    text(198, t2 + 1.2, "AI+", 6, true);
    text(198, t3 + 1.2, "AI" + kMinus, 6, true);
    text(220, t2 + 1.2, "PLC / INDICATOR", 6.5, true, Qt::AlignHCenter);
    text(220, t3 + 1.2, "4-20 mA input", 5.5, false, Qt::AlignHCenter);
    text(240, (t2 + t3) / 2 + 1.2, "passive input: the", 5.5);
    text(240, (t2 + t3) / 2 + 4.0, "transmitter drives the loop", 5.5);
    // Cable shield around the pair, earthed on the SHLD / PE terminal.
    setPen(0.2, Qt::DashLine);
    p_.drawEllipse(at(150, (t2 + t3) / 2), 2.2 * k_, ((t3 - t2) / 2 + 2.6) * k_);
    line(150, t3 + 2.6, 150, t4);
    setPen(0.25);
    line(kTermRight, t4, 150, t4);
    dot(150, t4);
    text(153, t4 + 1.2, "cable shield: earthed here only, insulated at the PLC", 5.5);
    text(153, t2 - 1.0, "shielded twisted pair", 5.5);
    return;
  }

  // Two-wire loop: supply +, transmitter, input, back to supply -.
  const double t2 = terminals_[2].Y;
  const double top = t0 - 9;  // return path above the terminals
  line(kTermRight, t0, 140, t0);
  setPen(0.35);
  box(140, t0 - 3, 34, 6);
  text(142, t0 + 1.2, "+", 7, true);
  text(172, t0 + 1.2, kMinus, 7, true, Qt::AlignRight);
  text(157, t0 + 1.2, "24 VDC", 6.5, true, Qt::AlignHCenter);
  text(157, t0 - 4.0, "LOOP SUPPLY", 6, true, Qt::AlignHCenter);
  setPen(0.25);
  line(174, t0, 182, t0);
  line(182, t0, 182, top);
  line(182, top, 262, top);
  line(262, top, 262, t1);
  line(kTermRight, t1, 206, t1);
  setPen(0.35);
  box(206, t1 - 3, 40, 6);
  text(208, t1 + 1.2, "AI+", 6, true);
  text(244, t1 + 1.2, "AI" + kMinus, 6, true, Qt::AlignRight);
  text(226, t1 + 6.0, "PLC / INDICATOR 4-20 mA input", 5.5, false, Qt::AlignHCenter);
  setPen(0.25);
  line(246, t1, 262, t1);
  if (entry.Power == Wiring::TwoWireHart) {
    text(226, t1 + 8.8, QString("loop resistance at least 250 %1 for HART").arg(kOhm), 5.5, false,
         Qt::AlignHCenter);
    hartInterface(t1);
    loopScale(entry);
  }
  // Shield.
  setPen(0.2, Qt::DashLine);
  p_.drawEllipse(at(120, (t0 + t1) / 2), 2.2 * k_, ((t1 - t0) / 2 + 2.6) * k_);
  line(120, t1 + 2.6, 120, t2);
  setPen(0.25);
  line(kTermRight, t2, 120, t2);
  dot(120, t2);
  text(123, t2 + 1.2, "cable shield: earthed here only", 5.5);
  text(120, t0 - 4.5, "shielded twisted pair", 5.5, false, Qt::AlignHCenter);
}

void WiringSheet::relay(int index, RelayRole role, double yNo) {
  const double yC = yNo + kPitch;
  const double yNc = yC + kPitch;
  if (role == RelayRole::NotUsed) {
    text(kTermRight + 16, yC + 1.2, QString("relay %1 not used in this configuration").arg(index),
         6);
    return;
  }
  setPen(0.25);
  // Live side through a fuse to the common contact.
  line(kTermRight, yC, 126, yC);
  fuse(129, yC);
  line(132, yC, kLiveX, yC);
  text(kLiveX + 1, yC + 1.2, "L", 6.5, true);
  text(129, yC - 2.2, QString("F%1").arg(index), 5.5, false, Qt::AlignHCenter);
  // Load on the normally open contact, back to neutral.
  const double loadX = 160.0;
  if (isAlarm(role)) {
    line(kTermRight, yNo, loadX - 2.5, yNo);
    lamp(loadX, yNo);
    line(loadX + 2.5, yNo, kNeutralX, yNo);
  } else if (isPump(role)) {
    line(kTermRight, yNo, loadX - 3.5, yNo);
    coil(loadX, yNo);
    line(loadX + 3.5, yNo, kNeutralX, yNo);
  } else {
    line(kTermRight, yNo, loadX - 4.0, yNo);
    genericLoad(loadX, yNo);
    line(loadX + 4.0, yNo, kNeutralX, yNo);
  }
  text(kNeutralX + 1, yNo + 1.2, "N", 6.5, true);
  text(kDescriptionX, yNo + 1.2, roleTitle(role, index), 6.5, true);
  text(kDescriptionX, yC + 1.2, roleSwitching(role, index), 5.5);
  text(kTermRight + 16, yNc + 1.2, "NC: spare (closed while the relay is off)", 5.5);
}

void WiringSheet::serviceCable(const DrawingEntry& entry) {
  // A HART transmitter is configured over its loop (see the HART interface).
  if (entry.Power == Wiring::TwoWireHart) return;
  setPen(0.3);
  box(kBoxLeft + 8, kBoxTop - 2.5, 10, 2.5);
  setPen(0.2, Qt::DashLine);
  line(kBoxLeft + 13, kBoxTop - 2.5, kBoxLeft + 13, kBoxTop - 7);
  line(kBoxLeft + 13, kBoxTop - 7, kBoxLeft + 20, kBoxTop - 7);
  text(kBoxLeft + 21, kBoxTop - 6, "J1 service port: USB interface cable to the PC", 5.5);
}

void WiringSheet::notes(const DrawingEntry& entry) {
  const double x = kMargin + 4;
  const double w = kTitleLeft - x - 6;
  double y = std::max(kNotesTop, boxBottom_ + 8);
  text(x, y, "NOTES", 8, true);
  y += 2.0;

  QStringList lines;
  for (const char* n : entry.Notes) lines << QString::fromUtf8(n);
  if (!entry.Relays.empty()) {
    lines << "Contacts are shown with the relays de-energised (NO open, NC closed). Relay contacts"
             " switch control circuits only: fuse each circuit and switch pump motors through"
             " their contactors. Contact ratings: see the unit's nameplate.";
  }
  switch (entry.Power) {
    case Wiring::FourWire:
      lines << "The 4-20 mA output is active: do not put a loop supply in series with it.";
      break;
    case Wiring::TwoWire:
      lines << "Two-wire loop: the loop supply, the transmitter and the input are in series."
               " The relay contacts are potential-free and separate from the loop.";
      break;
    case Wiring::TwoWireHart:
      lines << QString(
                   "Two-wire loop with HART: the loop supply, the transmitter and the input are"
                   " in series; connect the HART interface across a loop resistance of at"
                   " least 250 %1.")
                   .arg(kOhm);
      break;
  }
  lines << "Earth the housing to plant earth. Earth the cable shield at one end only.";
  lines << "Check the wiring against this drawing before writing the configuration to the unit.";

  for (int i = 0; i < lines.size(); ++i) {
    text(x, y + 3.0, QString("%1.").arg(i + 1), 6.5);
    y += paragraph(x + 5, y + 0.6, w - 5, lines[i], 6.5) + 0.8;
  }
}

void WiringSheet::setPoints(const DrawingEntry& entry) {
  const double x = kTitleLeft;
  const double top = 128.0;
  const double h = kTitleTop - top - 4;
  setPen(0.35);
  box(x, top, kPageWidth - kMargin - 4 - x, h);
  text(x + 2, top + 4, "LEVEL ROWS ON THE PAGE, TOP TO BOTTOM", 6.5, true);
  double y = top + 9;
  if (entry.SetPoints.empty()) {
    paragraph(x + 2, y - 2.5, kPageWidth - kMargin - 8 - x,
              entry.Relays.empty() ? "None: this transmitter has no relays."
                                   : (entry.Relays.front() == RelayRole::Independent
                                          ? "None: Relay Set Points holds an ON and an OFF"
                                            " point per relay."
                                          : "None unless the loop span is set by levels."),
              6);
    return;
  }
  for (const char* s : entry.SetPoints) {
    text(x + 4, y, QString::fromUtf8("\u25b8  ") + QString::fromUtf8(s), 6.5);
    y += 4.2;
  }
}

void WiringSheet::titleBlock(const DrawingEntry& entry) {
  const double x = kTitleLeft;
  const double right = kPageWidth - kMargin;
  const double bottom = kPageHeight - kMargin;
  setPen(0.5);
  box(x, kTitleTop, right - x, bottom - kTitleTop);
  setPen(0.25);
  const double r1 = kTitleTop + 8;
  const double r2 = r1 + 7;
  const double r3 = r2 + 7;
  line(x, r1, right, r1);
  line(x, r2, right, r2);
  line(x, r3, right, r3);
  line(x + 56, r3, x + 56, bottom);
  line(x + 78, r3, x + 78, bottom);

  text(x + 2, kTitleTop + 5.5, "OSTREL", 10, true);
  text(right - 2, kTitleTop + 5.5, "WIRING DIAGRAM", 10, true, Qt::AlignRight);
  text(x + 1.5, r1 + 2.2, "MODEL", 4.5);
  text(x + 2, r1 + 5.8, entry.ModelTitle, 7);
  text(x + 1.5, r2 + 2.2, "CONFIGURATION", 4.5);
  text(x + 2, r2 + 5.8,
       QString("%1   (No. %2)").arg(QString::fromUtf8(entry.Configuration), entry.Numbers), 7,
       true);
  text(x + 1.5, r3 + 2.2, "DRAWING FILE", 4.5);
  text(x + 2, r3 + 6.5, entry.File, 7.5, true);
  text(x + 57.5, r3 + 2.2, "SHEET", 4.5);
  text(x + 67, r3 + 6.5, "1 of 1", 7, false, Qt::AlignHCenter);
  text(x + 79.5, r3 + 2.2, "SIZE / SCALE", 4.5);
  text(x + 89, r3 + 6.5, "A4  NTS", 7, false, Qt::AlignHCenter);
}

void WiringSheet::hartInterface(double yLoop) {
  const double top = yLoop + 13;
  dot(200, yLoop);
  dot(254, yLoop);
  setPen(0.2, Qt::DashLine);
  line(200, yLoop, 200, top + 4);
  line(200, top + 4, 206, top + 4);
  line(254, yLoop, 254, top + 4);
  line(254, top + 4, 246, top + 4);
  setPen(0.35);
  box(206, top, 40, 8);
  text(226, top + 3.4, "USB INTERFACE CABLE (HART)", 5.5, true, Qt::AlignHCenter);
  text(226, top + 6.6, "clips across the input; to the PC", 5.5, false, Qt::AlignHCenter);
}

void WiringSheet::loopScale(const DrawingEntry& entry) {
  // Where the fail-safe current sits against the measuring span.
  const bool high = QString::fromUtf8(entry.Configuration).contains("High");
  const double x0 = 110.0;
  const double mmPerMa = 6.0;
  const double y = 78.0;
  auto xAt = [&](double ma) { return x0 + (ma - 3.0) * mmPerMa; };
  text(x0, y - 12, "LOOP CURRENT", 7, true);
  setPen(0.3);
  line(xAt(3.0), y, xAt(23.0), y);
  p_.save();
  p_.setBrush(QColor(210, 210, 210));
  box(xAt(4.0), y - 2, xAt(20.0) - xAt(4.0), 2);
  p_.restore();
  const double marks[] = {3.6, 4.0, 20.0, 22.0};
  for (double ma : marks) {
    setPen(0.25);
    line(xAt(ma), y - 3, xAt(ma), y + 1.5);
    // 3.6 and 4 sit close together: their numbers go to either side.
    const Qt::Alignment side = ma < 3.9   ? Qt::AlignRight
                               : ma < 4.1 ? Qt::AlignLeft
                                          : Qt::AlignHCenter;
    const double shift = ma < 3.9 ? 0.6 : ma < 4.1 ? -0.6 : 0.0;
    text(xAt(ma) + shift, y + 5, QString::number(ma, 'g', 3), 6, false, side);
  }
  text(xAt(12.0), y - 3.5, "measuring span: 4 mA empty ... 20 mA full", 5.5, false,
       Qt::AlignHCenter);
  const double f = high ? 22.0 : 3.6;
  setPen(0.35);
  line(xAt(f), y - 8, xAt(f), y - 3.5);
  line(xAt(f), y - 3.5, xAt(f) - 0.9, y - 5.2);
  line(xAt(f), y - 3.5, xAt(f) + 0.9, y - 5.2);
  text(xAt(f) + (high ? -1.5 : 1.5), y - 7.5, QString("fail-safe %1 mA").arg(high ? "22" : "3.6"),
       6, true, high ? Qt::AlignRight : Qt::AlignLeft);
  text(xAt(3.0), y + 10, "mA", 6);
}

void WiringSheet::fuse(double x, double y) {
  setPen(0.25);
  box(x - 3, y - 1.2, 6, 2.4);
  line(x - 3, y, x + 3, y);
}

void WiringSheet::lamp(double x, double y) {
  setPen(0.3);
  p_.drawEllipse(at(x, y), 2.5 * k_, 2.5 * k_);
  const double d = 2.5 * 0.7071;
  line(x - d, y - d, x + d, y + d);
  line(x - d, y + d, x + d, y - d);
}

void WiringSheet::coil(double x, double y) {
  setPen(0.3);
  box(x - 3.5, y - 2, 7, 4);
}

void WiringSheet::genericLoad(double x, double y) {
  setPen(0.3);
  box(x - 4, y - 2.2, 8, 4.4);
  text(x, y + 1.1, "LOAD", 4.5, false, Qt::AlignHCenter);
}

void WiringSheet::earth(double x, double y) {
  setPen(0.25);
  line(x, y, x, y + 1.6);
  line(x - 1.8, y + 1.6, x + 1.8, y + 1.6);
  line(x - 1.2, y + 2.3, x + 1.2, y + 2.3);
  line(x - 0.6, y + 3.0, x + 0.6, y + 3.0);
}

void WiringSheet::changeover(int relay, double yNo) {
  const double yC = yNo + kPitch;
  const double yNc = yC + kPitch;
  const double pivot = 74.0;
  const double fixed = 66.0;
  setPen(0.25);
  line(fixed, yNo, kTermLeft, yNo);
  line(fixed, yNo, fixed, yNo + 2.0);
  line(fixed, yNc, kTermLeft, yNc);
  line(fixed, yNc, fixed, yNc - 2.0);
  line(pivot, yC, kTermLeft, yC);
  dot(pivot, yC);
  // Blade resting on the NC contact.
  setPen(0.3);
  line(pivot, yC, fixed - 1.0, yNc - 2.0);
  // Relay coil beside the contact; the dashed actuator meets the middle of
  // the blade.
  const double midX = (pivot + fixed - 1.0) / 2.0;
  const double midY = (yC + yNc - 2.0) / 2.0;
  setPen(0.3);
  box(36, midY - 2.5, 12, 5);
  text(42, midY + 1.2, QString("RELAY %1").arg(relay), 5.5, true, Qt::AlignHCenter);
  setPen(0.2, Qt::DashLine);
  line(48, midY, midX, midY);
}

void WiringSheet::currentSource(double x, double yTop, double yBottom, bool sourcing) {
  const double mid = (yTop + yBottom) / 2;
  setPen(0.3);
  p_.drawEllipse(at(x, mid), 2.4 * k_, 2.4 * k_);
  line(x, yTop, x, mid - 2.4);
  line(x, mid + 2.4, x, yBottom);
  // Arrow: the direction of the loop current through the transmitter (out of
  // + for an active output, into + for a loop-powered one).
  const double tip = sourcing ? -1.6 : 1.6;
  line(x, mid - tip, x, mid + tip);
  line(x, mid + tip, x - 0.8, mid + tip * 0.3);
  line(x, mid + tip, x + 0.8, mid + tip * 0.3);
}

}  // namespace drawings
