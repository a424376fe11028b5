#pragma once

#include "SettingsPage.h"

class QCheckBox;
class QComboBox;
class QLabel;

// The unit's own RS-232 interface to outside paging systems (not this computer's port): the
// protocol, the line settings and the protocol's options. Which options show follows the
// protocol; hidden ones keep their values and are stored all the same.
class InterfacePage : public SettingsPage {
    Q_OBJECT
public:
    enum Protocol { Tap, Comp1, Comp2, Scope, Tekk, Visiplex, Espa444 };

    explicit InterfacePage(Database& database, QWidget* parent = nullptr);

    bool apply() override;

    QComboBox* protocolList() const { return protocol_; }
    QComboBox* speedList() const { return speed_; }
    QComboBox* dataBitsList() const { return dataBits_; }
    QComboBox* stopBitsList() const { return stopBits_; }
    QComboBox* parityList() const { return parity_; }
    QComboBox* flowControlList() const { return flowControl_; }
    QCheckBox* lookupLocalIdBox() const { return lookupLocalId_; }
    QComboBox* comp1List() const { return comp1_; }
    QLabel* comp1Label() const { return comp1Label_; }
    QCheckBox* ignoreChecksumBox() const { return ignoreChecksum_; }
    QCheckBox* neverDisconnectBox() const { return neverDisconnect_; }
    QCheckBox* acceptInvalidBox() const { return acceptInvalid_; }
    QCheckBox* sendIdBox() const { return sendId_; }

private:
    void showProtocolOptions();

    QComboBox* protocol_;
    QComboBox* speed_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QComboBox* parity_;
    QComboBox* flowControl_;
    QCheckBox* lookupLocalId_;
    QLabel* comp1Label_;
    QComboBox* comp1_;
    QCheckBox* ignoreChecksum_;
    QCheckBox* neverDisconnect_;
    QCheckBox* acceptInvalid_;
    QCheckBox* sendId_;
};
