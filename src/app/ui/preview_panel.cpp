#include "app/ui/preview_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/picture_button.h"
#include "controls/track_bar2.h"
#include "preview/preview_bars.h"
#include "preview/video_surface_widget.h"

namespace kx {

TPreviewPanel::TPreviewPanel(QWidget* parent) : QWidget(parent) {
  auto* pan1 = new VideoSurface(this);
  pan1->setObjectName("pan1");
  pan1->setFixedSize(370, 240);

  auto* lblTime = new QLabel("00:00:00 / ", this);
  lblTime->setObjectName("lblTime");
  auto* lblPTS = new QLabel("00:00:00", this);
  lblPTS->setObjectName("lblPTS");
  auto* trcPreview = new TTrackBar2(this);
  trcPreview->setObjectName("trcPreview");
  SkinPreviewBar(trcPreview, PreviewBarKind::Position);
  trcPreview->setEnabled(false);

  auto* times = new QHBoxLayout;
  times->addStretch();
  times->addWidget(lblTime);
  times->addWidget(lblPTS);

  auto* transport = new QHBoxLayout;
  struct ButtonSpec {
    const char* name;
    Glyph glyph;
    const char* hint;
  };
  for (const ButtonSpec& spec : {ButtonSpec{"imgbtnPre", Glyph::Previous, "Previous title"},
                                 ButtonSpec{"imgbtnPlay", Glyph::Play, "Play"},
                                 ButtonSpec{"imgbtnPause", Glyph::Pause, "Pause"},
                                 ButtonSpec{"imgbtnStop", Glyph::Stop, "Stop"},
                                 ButtonSpec{"imgbtnNext", Glyph::Next, "Next title"},
                                 ButtonSpec{"imgbtnSnap", Glyph::Snapshot, "Snapshot"}}) {
    auto* button = new TPictureButton(spec.glyph, {}, QSize(30, 26), this);
    button->setObjectName(spec.name);
    button->setToolTip(spec.hint);
    button->setEnabled(false);
    transport->addWidget(button);
  }
  transport->addStretch();
  auto* imgbtnMute = new TPictureButton(Glyph::Speaker, {}, QSize(26, 22), this);
  imgbtnMute->setObjectName("imgbtnMute");
  imgbtnMute->setEnabled(false);
  auto* trcVolume = new TTrackBar2(this);
  trcVolume->setObjectName("trcVolume");
  SkinPreviewBar(trcVolume, PreviewBarKind::Volume);
  trcVolume->setFixedWidth(80);
  trcVolume->setEnabled(false);
  transport->addWidget(imgbtnMute);
  transport->addWidget(trcVolume);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pan1);
  layout->addLayout(times);
  layout->addWidget(trcPreview);
  layout->addLayout(transport);
  layout->addStretch();
}

}  // namespace kx
