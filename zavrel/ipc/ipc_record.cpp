#include "zavrel/ipc/ipc_record.h"

#include <cstring>

WORD IPCBuildRecord(void* pBuffer, WORD wMainCmdID, WORD wSubCmdID, const void* pBody, WORD wBodySize) {
  if (wBodySize > IPC_PACKAGE || !pBuffer) return 0;
  IPC_Head head = {IPC_VER, static_cast<WORD>(sizeof(IPC_Head)), wMainCmdID, wSubCmdID};
  unsigned char* out = static_cast<unsigned char*>(pBuffer);
  if (pBody) {
    head.wDataSize = static_cast<WORD>(sizeof(IPC_Head) + wBodySize);
    if (wBodySize) std::memcpy(out + sizeof(IPC_Head), pBody, wBodySize);
  }
  std::memcpy(out, &head, sizeof(head));
  return head.wDataSize;
}

bool IPCSplitRecord(DWORD dwData, const void* pData, DWORD cbData, IPC_Head& Head, const void*& pBody,
                    WORD& wBodySize) {
  if (dwData != IPC_IDENTIFIER || cbData < sizeof(IPC_Head) || !pData) return false;
  std::memcpy(&Head, pData, sizeof(Head));
  if (Head.wVersion != IPC_VER || Head.wDataSize != cbData || cbData > IPC_BUFFER) return false;
  Head.wDataSize = static_cast<WORD>(Head.wDataSize - sizeof(IPC_Head));
  wBodySize = Head.wDataSize;
  pBody = wBodySize > 0 ? static_cast<const unsigned char*>(pData) + sizeof(IPC_Head) : nullptr;
  return true;
}

WORD IPCPackQueued(void* pBuffer, const IPC_Head& Head, DWORD dwSender, const void* pBody) {
  if (!pBuffer || Head.wDataSize > IPC_PACKAGE || (Head.wDataSize && !pBody)) return 0;
  unsigned char* out = static_cast<unsigned char*>(pBuffer);
  std::memcpy(out, &Head, sizeof(Head));
  std::memcpy(out + sizeof(Head), &dwSender, 4);
  if (Head.wDataSize) std::memcpy(out + IPC_QUEUED_HEAD, pBody, Head.wDataSize);
  return static_cast<WORD>(IPC_QUEUED_HEAD + Head.wDataSize);
}

bool IPCUnpackQueued(const void* pRecord, WORD wLength, IPC_Head& Head, DWORD& dwSender, const void*& pBody) {
  if (!pRecord || wLength < IPC_QUEUED_HEAD) return false;
  const unsigned char* in = static_cast<const unsigned char*>(pRecord);
  std::memcpy(&Head, in, sizeof(Head));
  if (static_cast<std::size_t>(Head.wDataSize) + IPC_QUEUED_HEAD != wLength) return false;
  std::memcpy(&dwSender, in + sizeof(Head), 4);
  pBody = Head.wDataSize ? in + IPC_QUEUED_HEAD : nullptr;
  return true;
}
