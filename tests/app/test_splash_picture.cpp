// The splash picture is decoded by libjpeg; a missing or corrupt picture
// leaves the splash without it and nothing else changes.
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QtTest>

#include "app/jpeg_image.h"
#include "app/splash.h"

namespace {

QByteArray SplashBytes() {
  QFile file(QString::fromLatin1(kSplashPictureResource));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

}  // namespace

class TestSplashPicture : public QObject {
  Q_OBJECT

 private slots:
  void decodesTheSplashPicture();
  void agreesWithAnIndependentDecoder();
  void badData_data();
  void badData();
  void truncatedBodyStillGivesAPicture();
  void splashShowsWithoutABadPicture();
};

void TestSplashPicture::decodesTheSplashPicture() {
  const QImage picture = DecodeJpeg(SplashBytes());
  QVERIFY(!picture.isNull());
  QCOMPARE(picture.size(), QSize(636, 250));
  // The artwork's background is a dark blue gradient, the voltage trace red.
  const QColor corner = picture.pixelColor(2, 2);
  QVERIFY2(corner.blue() > corner.red() + 20, qPrintable(corner.name()));
  Tsplashform splash;
  QVERIFY(splash.HasPicture());
}

void TestSplashPicture::agreesWithAnIndependentDecoder() {
  const QImage ours = DecodeJpeg(SplashBytes()).convertToFormat(QImage::Format_RGB32);
  QImage reference;
  if (!reference.loadFromData(SplashBytes(), "JPEG")) QSKIP("Qt has no JPEG reader here");
  reference = reference.convertToFormat(QImage::Format_RGB32);
  QCOMPARE(ours.size(), reference.size());
  // Both use libjpeg underneath, possibly with other IDCT settings: allow a
  // few levels of rounding difference per channel.
  int worst = 0;
  for (int y = 0; y < ours.height(); y += 7) {
    for (int x = 0; x < ours.width(); x += 5) {
      const QRgb a = ours.pixel(x, y);
      const QRgb b = reference.pixel(x, y);
      worst = qMax(worst, qAbs(qRed(a) - qRed(b)));
      worst = qMax(worst, qAbs(qGreen(a) - qGreen(b)));
      worst = qMax(worst, qAbs(qBlue(a) - qBlue(b)));
    }
  }
  QVERIFY2(worst <= 4, qPrintable(QString::number(worst)));
}

void TestSplashPicture::badData_data() {
  QTest::addColumn<QByteArray>("data");
  const QByteArray good = SplashBytes();
  QByteArray noise(4096, '\0');
  for (char& c : noise) c = static_cast<char>(QRandomGenerator::global()->bounded(256));
  QByteArray badMarkers = good.left(200);
  badMarkers[3] = '\x00';
  badMarkers[60] = '\xFF';
  QTest::newRow("empty") << QByteArray();
  QTest::newRow("random bytes") << noise;
  QTest::newRow("start marker only") << good.left(2);
  QTest::newRow("header cut short") << good.left(100);
  QTest::newRow("damaged header") << badMarkers;
  QTest::newRow("not a JPEG") << QByteArray("\x89PNG\r\n\x1a\n-and-so-on", 19);
}

void TestSplashPicture::badData() {
  QFETCH(QByteArray, data);
  QVERIFY(DecodeJpeg(data).isNull());
}

void TestSplashPicture::truncatedBodyStillGivesAPicture() {
  // libjpeg fills a cut-off scan with grey and warns; the picture keeps its
  // size, which is the better outcome for a splash.
  const QByteArray good = SplashBytes();
  const QImage half = DecodeJpeg(good.left(good.size() / 2));
  QVERIFY(!half.isNull());
  QCOMPARE(half.size(), QSize(636, 250));
  QVERIFY(DecodeJpegFile(QStringLiteral("/nonexistent/splash.jpg")).isNull());
}

void TestSplashPicture::splashShowsWithoutABadPicture() {
  Tsplashform splash;
  splash.SetPicture(DecodeJpeg(QByteArray("garbage")));
  QVERIFY(!splash.HasPicture());
  splash.show();
  QVERIFY(QTest::qWaitForWindowExposed(&splash));
  auto* title = splash.findChild<QLabel*>(QStringLiteral("Label1"));
  QVERIFY(title != nullptr);
  QCOMPARE(title->text(), QStringLiteral("Veltrix V1.0"));
  QVERIFY(title->font().bold());
  QCOMPARE(title->font().family(), QStringLiteral("Arial"));
  QCOMPARE(title->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

QTEST_MAIN(TestSplashPicture)
#include "test_splash_picture.moc"
