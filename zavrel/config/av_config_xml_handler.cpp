#include "zavrel/config/av_config_xml_handler.h"

const std::string CAVConfig_xmlHandler::AVConfigElement = "AVConfig";
const std::string CAVConfig_xmlHandler::AudioConfigElement = "AudioConfig";
const std::string CAVConfig_xmlHandler::VideoConfigElement = "VideoConfig";
const std::string CAVConfig_xmlHandler::VideoOptionPictureFirstElement = "VideoOptionPictureFirst";
const std::string CAVConfig_xmlHandler::VideoOptionNetworkFirstElement = "VideoOptionNetworkFirst";
const std::string CAVConfig_xmlHandler::CaptureDeviceIDAttribute = "CaptureDeviceID";
const std::string CAVConfig_xmlHandler::PlayerDeviceIDAttribute = "PlayerDeviceID";
const std::string CAVConfig_xmlHandler::EncoderModeAttribute = "EncoderMode";
const std::string CAVConfig_xmlHandler::QualityAttribute = "Quality";
const std::string CAVConfig_xmlHandler::BitrateAttribute = "Bitrate";
const std::string CAVConfig_xmlHandler::OutputWidthAttribute = "OutputWidth";
const std::string CAVConfig_xmlHandler::OutputHeightAttribute = "OutputHeight";

namespace {

void ReadSetting(const XMLAttributes& attributes, VideoEncodeSetting& setting) {
  setting.encoderMode = attributes.getValueAsInteger(CAVConfig_xmlHandler::EncoderModeAttribute, 0);
  setting.quality = attributes.getValueAsInteger(CAVConfig_xmlHandler::QualityAttribute, 0);
  setting.bitrate = attributes.getValueAsInteger(CAVConfig_xmlHandler::BitrateAttribute, 0);
  setting.outputWidth = attributes.getValueAsInteger(CAVConfig_xmlHandler::OutputWidthAttribute, 0);
  setting.outputHeight = attributes.getValueAsInteger(CAVConfig_xmlHandler::OutputHeightAttribute, 0);
}

}  // namespace

CAVConfig_xmlHandler::CAVConfig_xmlHandler()
    : audioCaptureDeviceID(0),
      audioPlayerDeviceID(0),
      videoCaptureDeviceID(0),
      videoConfig{1, 85, 100000, 176, 144},
      pictureFirst{1, 85, 64000, 176, 144},
      networkFirst{1, 20, 48000, 160, 120} {}

CAVConfig_xmlHandler::CAVConfig_xmlHandler(const CAVConfig_xmlHandler& other) = default;

CAVConfig_xmlHandler& CAVConfig_xmlHandler::operator=(const CAVConfig_xmlHandler& other) = default;

CAVConfig_xmlHandler::~CAVConfig_xmlHandler() = default;

void CAVConfig_xmlHandler::elementStart(const std::string& element, const XMLAttributes& attributes) {
  if (element == AudioConfigElement) {
    audioCaptureDeviceID = attributes.getValueAsInteger(CaptureDeviceIDAttribute, 0);
    audioPlayerDeviceID = attributes.getValueAsInteger(PlayerDeviceIDAttribute, 0);
  } else if (element == VideoConfigElement) {
    videoCaptureDeviceID = attributes.getValueAsInteger(CaptureDeviceIDAttribute, 0);
    ReadSetting(attributes, videoConfig);
  } else if (element == VideoOptionPictureFirstElement) {
    ReadSetting(attributes, pictureFirst);
  } else if (element == VideoOptionNetworkFirstElement) {
    ReadSetting(attributes, networkFirst);
  }
}

void CAVConfig_xmlHandler::elementEnd(const std::string&) {}
