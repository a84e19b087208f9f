// CAVConfig_xmlHandler: reads the audio/video configuration document.
//
//   <AVConfig>
//     <AudioConfig CaptureDeviceID="0" PlayerDeviceID="0"/>
//     <VideoConfig CaptureDeviceID="0" EncoderMode="1" Quality="85"
//                  Bitrate="100000" OutputWidth="176" OutputHeight="144"/>
//     <VideoOptionPictureFirst EncoderMode=... (the five encoder attributes)/>
//     <VideoOptionNetworkFirst EncoderMode=... />
//   </AVConfig>
//
// Drive it with XMLParser (support/tessor/xml_parser.h), then read the public
// fields. An element that is present sets every field it carries, a missing
// attribute reading as 0; the constructor's defaults survive only for absent
// elements. A repeated element overwrites the earlier values; other elements
// are ignored; names are case-sensitive. Never reports errors.
#pragma once

#include <string>

#include "support/tessor/xml_handler.h"
#include "zavrel/zavrel_api.h"

// Video encoder settings; sizes in pixels.
struct VideoEncodeSetting {
  int encoderMode;
  int quality;
  int bitrate;
  int outputWidth;
  int outputHeight;
};

class ZAVREL_API CAVConfig_xmlHandler : public XMLHandler {
 public:
  static const std::string AVConfigElement;                 // "AVConfig"
  static const std::string AudioConfigElement;              // "AudioConfig"
  static const std::string VideoConfigElement;              // "VideoConfig"
  static const std::string VideoOptionPictureFirstElement;  // "VideoOptionPictureFirst"
  static const std::string VideoOptionNetworkFirstElement;  // "VideoOptionNetworkFirst"
  static const std::string CaptureDeviceIDAttribute;        // "CaptureDeviceID"
  static const std::string PlayerDeviceIDAttribute;         // "PlayerDeviceID"
  static const std::string EncoderModeAttribute;            // "EncoderMode"
  static const std::string QualityAttribute;                // "Quality"
  static const std::string BitrateAttribute;                // "Bitrate"
  static const std::string OutputWidthAttribute;            // "OutputWidth"
  static const std::string OutputHeightAttribute;           // "OutputHeight"

  // Device IDs 0; videoConfig 1, 85, 100000, 176, 144; pictureFirst 1, 85,
  // 64000, 176, 144; networkFirst 1, 20, 48000, 160, 120.
  CAVConfig_xmlHandler();
  CAVConfig_xmlHandler(const CAVConfig_xmlHandler& other);
  CAVConfig_xmlHandler& operator=(const CAVConfig_xmlHandler& other);
  ~CAVConfig_xmlHandler() override;

  int audioCaptureDeviceID;
  int audioPlayerDeviceID;
  int videoCaptureDeviceID;
  VideoEncodeSetting videoConfig;   // the normal video settings
  VideoEncodeSetting pictureFirst;  // preset favouring picture quality
  VideoEncodeSetting networkFirst;  // preset favouring low network use

 protected:
  void elementStart(const std::string& element, const XMLAttributes& attributes) override;
  void elementEnd(const std::string& element) override;
};
