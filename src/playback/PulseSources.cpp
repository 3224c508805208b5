// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/PulseSources.h"

#include <pulse/context.h>
#include <pulse/def.h>
#include <pulse/introspect.h>
#include <pulse/operation.h>
#include <pulse/subscribe.h>

#include <map>
#include <memory>
#include <utility>

#include "serial/ThreadInbox.h"

namespace kalvetro {

namespace {

// One reading of the server: its default source, then the outputs (for the monitors'
// labels), then the sources.
struct Reading {
  pa_context* context;
  std::function<void(PulseInputList)> done;
  PulseInputList list;
  std::map<std::string, QString> sinkDescriptions;

  void Finish() {
    done(std::move(list));
    delete this;
  }
  // Starts an operation; when the server refuses it the reading ends as it stands.
  void Started(pa_operation* op) {
    if (op)
      pa_operation_unref(op);
    else
      Finish();
  }
  void ReadSinks() {
    Started(pa_context_get_sink_info_list(
        context,
        [](pa_context*, const pa_sink_info* info, int eol, void* self) {
          auto* reading = static_cast<Reading*>(self);
          if (eol) {
            if (eol < 0)
              reading->Finish();
            else
              reading->ReadSources();
            return;
          }
          if (info && info->name)
            reading->sinkDescriptions[info->name] =
                QString::fromUtf8(info->description ? info->description : info->name);
        },
        this));
  }
  void ReadSources() {
    Started(pa_context_get_source_info_list(
        context,
        [](pa_context*, const pa_source_info* info, int eol, void* self) {
          auto* reading = static_cast<Reading*>(self);
          if (eol) {
            reading->Finish();
            return;
          }
          if (info && info->name) reading->Add(*info);
        },
        this));
  }
  void Add(const pa_source_info& info) {
    SoundInputInfo input;
    input.name = QString::fromUtf8(info.name);
    input.monitor = info.monitor_of_sink != PA_INVALID_INDEX;
    if (input.monitor && info.monitor_of_sink_name) {
      const auto sink = sinkDescriptions.find(info.monitor_of_sink_name);
      input.label = MonitorLabel(sink != sinkDescriptions.end()
                                     ? sink->second
                                     : QString::fromUtf8(info.monitor_of_sink_name));
    } else {
      input.label = QString::fromUtf8(info.description ? info.description : info.name);
    }
    list.inputs.push_back(std::move(input));
    list.rates.push_back(static_cast<int>(info.sample_spec.rate));
  }
};

}  // namespace

void ReadPulseInputs(pa_context* context, std::function<void(PulseInputList)> done) {
  auto* reading = new Reading{context, std::move(done), {}, {}};
  reading->Started(pa_context_get_server_info(
      context,
      [](pa_context*, const pa_server_info* info, void* self) {
        auto* reading = static_cast<Reading*>(self);
        if (info && info->default_source_name)
          reading->list.defaultSource = info->default_source_name;
        reading->ReadSinks();
      },
      reading));
}

QString MonitorLabel(const QString& sinkDescription) {
  return QStringLiteral("Звук этого компьютера: ") + sinkDescription;
}

void PulseInputReader::Read(pa_context* context) {
  if (reading_) {
    again_ = true;
    return;
  }
  reading_ = true;
  again_ = false;
  ReadPulseInputs(context, [this, context](PulseInputList list) {
    reading_ = false;
    done_(std::move(list));
    if (again_) Read(context);
  });
}

PulseSources::PulseSources(QObject* parent)
    : QObject(parent), inbox_(new ThreadInbox(this)), reader_([this](PulseInputList list) {
        inbox_->Post([this, inputs = std::move(list.inputs)] {
          // A change the chooser does not show (a volume moved) is not passed on.
          if (state_ == State::kReady && inputs == inputs_) return;
          state_ = State::kReady;
          inputs_ = inputs;
          emit Changed();
        });
      }) {
  loop_.Start(
      "Kalvetro (sources)", [this](pa_context* context) { Subscribe(context); },
      [this](const std::string&) {
        inbox_->Post([this] {
          state_ = State::kUnreachable;
          inputs_.clear();
          emit Unreachable();
        });
      });
}

PulseSources::~PulseSources() {
  loop_.Stop();
}

void PulseSources::Subscribe(pa_context* context) {
  context_ = context;
  pa_context_set_subscribe_callback(
      context,
      [](pa_context*, pa_subscription_event_type_t, uint32_t, void* self) {
        static_cast<PulseSources*>(self)->Refresh();
      },
      this);
  const auto mask =
      static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE);
  if (pa_operation* op = pa_context_subscribe(context, mask, nullptr, nullptr))
    pa_operation_unref(op);
  Refresh();
}

void PulseSources::Refresh() {
  reader_.Read(context_);
}

}  // namespace kalvetro
