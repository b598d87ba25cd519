#pragma once

// The numeric constants of the database objects, with the values the forms pass.
namespace Ado {

enum CursorLocationEnum { adUseServer = 2, adUseClient = 3 };

enum ObjectStateEnum { adStateClosed = 0, adStateOpen = 1 };

enum CursorTypeEnum {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3
};

enum LockTypeEnum {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4
};

// AbsolutePosition when there is no current row.
enum PositionEnum { adPosUnknown = -1, adPosBOF = -2, adPosEOF = -3 };

enum StreamTypeEnum { adTypeBinary = 1, adTypeText = 2 };

enum SaveOptionsEnum { adSaveCreateNotExist = 1, adSaveCreateOverWrite = 2 };

// The options argument of Open, Execute and Requery ("-1": let the provider decide).
constexpr int adOptionUnspecified = -1;

// Error numbers raised by these objects. Engine failures carry the provider's number and the
// engine's own message.
enum ErrorValueEnum {
    adErrInvalidArgument = 3001,
    adErrWriteFile = 3004,
    adErrNoCurrentRecord = 3021,
    adErrItemNotFound = 3265,
    adErrObjectClosed = 3704,
    adErrObjectOpen = 3705,
};
constexpr long ProviderError = -2147467259L;    // 0x80004005: the provider failed (open, key, engine)
constexpr long CommandTextError = -2147217900L; // 0x80040E14: the statement could not be prepared

} // namespace Ado
